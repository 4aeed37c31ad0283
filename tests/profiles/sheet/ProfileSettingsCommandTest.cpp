// SPDX-License-Identifier: GPL-3.0-or-later
// The profile settings command from opening the sheet to the files it writes.
#include "profiles/sheet/ProfileSettingsCommand.h"

#include "controls/CSkinButton.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"
#include "core/TaskList.h"
#include "platform/PrivateProfile.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"
#include "profiles/sheet/COptionResizeDlg.h"
#include "texts/Texts.h"

#include "SheetTestSupport.h"
#include "TempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
using Outcome = ProfileSettingsResult::Outcome;

namespace {

constexpr const char *kSection = "iPad Video H.264 (1024x768)";
constexpr const char *kConflictText
    = "A profile with this name already exists. Please choose another profile name.";

class ProfileSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Ini());
        std::filesystem::copy_file(SourceIni("ipadh264.ini"), ProfileFile());
        std::filesystem::copy_file(SourceIni("kreldef.ini"), Kreldef());
        UseProfile(kSection);
    }

    std::filesystem::path Ini() const { return m_program.path() / "ini"; }
    std::filesystem::path ProfileFile() const { return Ini() / "ipadh264.ini"; }
    std::filesystem::path Kreldef() const { return Ini() / "kreldef.ini"; }

    /// Makes section of the profile file the current profile, applied to one task.
    void UseProfile(const std::string &section)
    {
        m_current = LoadProfile(ProfileFile(), section);
        m_tasks.Clear();
        auto task = std::make_unique<Task>();
        task->source_path = "/media/clip.mkv";
        task->source_width = 1918;
        task->source_height = 1080;
        ApplyProfile(*task, m_current, ApplyPath::ProfilePick,
                     {"/out/", [](const std::string &) { return false; }});
        m_tasks.Add(std::move(task));
    }

    Task &OnlyTask() { return *m_tasks.Get(0); }

    ProfileSettingsResult Run(const std::vector<int> &rows = {0})
    {
        return RunProfileSettings(nullptr, m_current, m_tasks, rows, m_program.path().string(),
                                  m_prompter, m_texts);
    }

    /// A script step choosing a command of the save menu.
    static void ChooseFromSaveMenu(UiScript &script, int command)
    {
        script.Then<QMenu>([command](QMenu *menu) { ChooseMenuItem(menu, command); });
    }

    /// A script step entering name into the naming dialog and pressing OK.
    static void EnterName(UiScript &script, const QString &name, QString *proposed = nullptr)
    {
        script.Then<CNewProfileDlg>([name, proposed](CNewProfileDlg *dialog) {
            if (proposed != nullptr)
                *proposed = dialog->NameEdit()->text();
            dialog->NameEdit()->setText(name);
            Click(dialog->OkButton());
        });
    }

    TempDir m_program;
    TaskList m_tasks;
    ProfileRecord m_current;
    RecordingPrompter m_prompter;
    BuiltInTexts m_texts;
};

/// The keyed fields of a record, for comparing what a file holds with what was saved.
ProfileRecord KeyedFields(ProfileRecord r)
{
    r.profile_path = "";
    r.section_name = "";
    r.estimated_video_bit_rate = 0;
    r.source_width = r.source_height = 0;
    r.source_display_aspect = 0;
    return r;
}

/// The lines of section in an INI text, header excluded.
std::vector<std::string> SectionLines(const std::string &text, const std::string &section)
{
    std::vector<std::string> lines;
    const std::string header = "[" + section + "]\n";
    std::size_t at = text.find(header);
    if (at == std::string::npos)
        return lines;
    at += header.size();
    while (at < text.size() && text[at] != '[') {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (!line.empty())
            lines.push_back(line);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

} // namespace

TEST_F(ProfileSettings, opensOnlyForExactlyOneSelectedTask)
{
    bool opened = false;
    UiScript script(2000);
    script.Then<CExPropertySheet>([&](CExPropertySheet *sheet) {
        opened = true;
        sheet->reject();
    });
    auto nothing = Run({});
    EXPECT_EQ(nothing.outcome, Outcome::NoSelection);
    EXPECT_EQ(m_prompter.told, std::vector<std::string>{"No items were selected!"});
    EXPECT_EQ(nothing.refresh_row, -1);

    UseProfile(kSection);
    m_tasks.Add(std::make_unique<Task>());
    auto several = Run({0, 1});
    EXPECT_EQ(several.outcome, Outcome::SeveralSelected);
    EXPECT_EQ(m_prompter.told.size(), 1u) << "several rows: nothing is said";
    EXPECT_FALSE(opened);
}

TEST_F(ProfileSettings, okCopiesThePagesIntoTheCurrentRecordAndTheTask)
{
    const std::string file_before = ReadFile(ProfileFile());
    int source_seen_width = 0;
    UiScript script;
    script.Then<CExPropertySheet>([&](CExPropertySheet *sheet) {
        source_seen_width = sheet->ResizePage()->PageFields().source_width;
        Click(sheet->findChild<QCheckBox *>("disableAudio"));
        sheet->SetActivePage(CExPropertySheet::kResizePage);
        Click(sheet->findChild<QRadioButton *>("size0")); // the task's own size
        Click(sheet->OkButton());
    });
    const auto result = Run();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(result.outcome, Outcome::Applied);
    EXPECT_EQ(result.refresh_row, 0);
    EXPECT_EQ(source_seen_width, 1918) << "the sheet sees the selected task's picture";

    EXPECT_EQ(m_current.bDisableAudio, 1);
    EXPECT_EQ(m_current.nVideoRiszeOption, 0);
    EXPECT_EQ(m_current.source_width, 1918);
    EXPECT_EQ(OnlyTask().settings.bDisableAudio, 1);
    EXPECT_EQ(OnlyTask().settings.nVideoRiszeOption, 0);
    EXPECT_EQ(OnlyTask().settings.section_name.view(), kSection);
    EXPECT_EQ(OnlyTask().settings.source_width, 1918);
    EXPECT_EQ(OnlyTask().settings.source_height, 1080);
    // 2 x 1920 (raised to 16) x 1080 x 0.9765625 / 1000, as applying a profile works it out.
    EXPECT_EQ(OnlyTask().settings.estimated_video_bit_rate, 4050);
    EXPECT_EQ(ReadFile(ProfileFile()), file_before) << "plain OK writes nothing";
}

TEST_F(ProfileSettings, cancelChangesNeitherRecordNorTask)
{
    const ProfileRecord task_before = OnlyTask().settings;
    UiScript script;
    script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        Click(sheet->findChild<QCheckBox *>("disableAudio"));
        Click(sheet->CancelButton());
    });
    const ProfileRecord current_before = m_current;
    const auto result = Run();
    EXPECT_EQ(result.outcome, Outcome::Cancelled);
    EXPECT_EQ(result.refresh_row, -1);
    EXPECT_EQ(m_current.bDisableAudio, current_before.bDisableAudio);
    EXPECT_TRUE(OnlyTask().settings == task_before);
}

TEST_F(ProfileSettings, saveAndApplyRewritesExactlyThatSection)
{
    const std::string before = ReadFile(ProfileFile());
    const std::string kreldef_before = ReadFile(Kreldef());
    UiScript script;
    script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        TypeInto(sheet->findChild<QLineEdit *>("audioBitRate"), "160");
        Click(sheet->SaveButton());
    });
    ChooseFromSaveMenu(script, 0);
    const auto result = Run();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(result.outcome, Outcome::Saved);
    EXPECT_EQ(result.refresh_row, 0);

    // Byte for byte: the one changed value of the first section, nothing else.
    std::string expected = before;
    const std::string line = "nAudioCustomBitRate=128.000000";
    const std::size_t at = expected.find(line);
    ASSERT_LT(at, expected.find("[iPad Video H.264 (1024x768), add to library]"));
    expected.replace(at, line.size(), "nAudioCustomBitRate=160.000000");
    EXPECT_EQ(ReadFile(ProfileFile()), expected);
    EXPECT_EQ(ReadFile(Kreldef()), kreldef_before);
    EXPECT_EQ(OnlyTask().settings.section_name.view(), kSection);
}

TEST_F(ProfileSettings, saveAsRefusesTakenNamesIgnoringCaseAndSavesUnderAFreeOne)
{
    // A file holding a profile called "iPad Video".
    std::string text = ReadFile(ProfileFile());
    const std::string body = text.substr(text.find('\n') + 1, text.find("\n[") - text.find('\n'));
    text += "\n[iPad Video]\n" + body;
    WriteFile(ProfileFile(), text);
    const std::string before = ReadFile(ProfileFile());
    const std::string default_before
        = platform::ReadProfileString("OUTPUT_DEFAULT", "outputprofile", "", 200, Kreldef());
    UseProfile("iPad Video");

    QString proposed;
    QString shown_again;
    bool stayed_open_on_blank = false;
    UiScript script;
    script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        sheet->SetActivePage(CExPropertySheet::kResizePage);
        Click(sheet->findChild<QRadioButton *>("size6"));
        Click(sheet->SaveButton());
    });
    ChooseFromSaveMenu(script, 1);
    EnterName(script, "ipad video", &proposed);
    script.Then<CNewProfileDlg>([&](CNewProfileDlg *dialog) {
        shown_again = dialog->NameEdit()->text();
        dialog->NameEdit()->setText("   ");
        Click(dialog->OkButton());
        stayed_open_on_blank = dialog->isVisible();
        dialog->NameEdit()->setText("iPad Video 2");
        Click(dialog->OkButton());
    });
    const auto result = Run();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(proposed, "New iPad Video");
    EXPECT_EQ(shown_again, "ipad video");
    EXPECT_TRUE(stayed_open_on_blank);
    EXPECT_EQ(m_prompter.told,
              (std::vector<std::string>{kConflictText, "Please enter a profile name."}));
    EXPECT_EQ(result.outcome, Outcome::SavedAs);
    EXPECT_EQ(result.refresh_row, 0);

    // The new section follows everything the file held, with every key of the record.
    const std::string after = ReadFile(ProfileFile());
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(SectionLines(after, "iPad Video 2").size(), 42u);
    ProfileRecord saved;
    ProfileFile::Read("iPad Video 2", saved, ProfileFile());
    EXPECT_EQ(saved.nVideoRiszeOption, 6);
    EXPECT_TRUE(KeyedFields(saved) == KeyedFields(OnlyTask().settings));

    EXPECT_EQ(OnlyTask().settings.section_name.view(), "iPad Video 2");
    EXPECT_EQ(m_current.section_name.view(), "iPad Video") << "the picked profile keeps its name";
    EXPECT_EQ(platform::ReadProfileString("default", "ipadh264.ini", "", 200, Kreldef()),
              "iPad Video 2");
    EXPECT_EQ(platform::ReadProfileString("OUTPUT_DEFAULT", "outputprofile", "", 200, Kreldef()),
              default_before);
}

TEST_F(ProfileSettings, cancellingTheNameWritesNothingAndTheTaskKeepsItsProfile)
{
    const std::string before = ReadFile(ProfileFile());
    const std::string kreldef_before = ReadFile(Kreldef());
    for (bool after_conflict : {false, true}) {
        SCOPED_TRACE(after_conflict ? "after a conflict" : "at the first showing");
        UseProfile(kSection);
        UiScript script;
        script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
            Click(sheet->findChild<QCheckBox *>("disableAudio"));
            Click(sheet->SaveButton());
        });
        ChooseFromSaveMenu(script, 1);
        if (after_conflict)
            EnterName(script, "IPAD VIDEO H.264 (1024X768), ADD TO LIBRARY");
        script.Then<CNewProfileDlg>([](CNewProfileDlg *dialog) {
            dialog->NameEdit()->setText("Something new");
            Click(dialog->CancelButton());
        });
        const auto result = Run();
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_EQ(result.outcome, Outcome::NotSaved);
        EXPECT_EQ(result.refresh_row, 0);
        EXPECT_EQ(ReadFile(ProfileFile()), before);
        EXPECT_EQ(ReadFile(Kreldef()), kreldef_before);
        EXPECT_EQ(OnlyTask().settings.section_name.view(), kSection);
        EXPECT_EQ(OnlyTask().settings.bDisableAudio, 1) << "the edits stay applied to the task";
    }
}

TEST_F(ProfileSettings, aSaveTheFileRefusesIsReported)
{
    // A profile "file" below a plain file: nothing can be written there.
    WriteFile(m_program.path() / "blocker", "x");
    const std::string unwritable = (m_program.path() / "blocker" / "ipadh264.ini").string();
    for (int command : {0, 1}) {
        m_prompter.told.clear();
        UseProfile(kSection);
        m_current.profile_path = unwritable;
        UiScript script;
        script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
            Click(sheet->findChild<QCheckBox *>("disableAudio"));
            Click(sheet->SaveButton());
        });
        ChooseFromSaveMenu(script, command);
        if (command == 1)
            EnterName(script, "Mine");
        const auto result = Run();
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_EQ(result.outcome, Outcome::NotSaved);
        EXPECT_EQ(
            m_prompter.told,
            std::vector<std::string>{"The profile could not be saved in " + unwritable + "."});
        EXPECT_EQ(OnlyTask().settings.section_name.view(), kSection);
        EXPECT_EQ(OnlyTask().settings.bDisableAudio, 1);
        EXPECT_EQ(platform::ReadProfileString("default", "ipadh264.ini", "", 200, Kreldef()), "");
    }
}
