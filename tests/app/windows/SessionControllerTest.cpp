// SPDX-License-Identifier: GPL-3.0-or-later
// The session, the same for both front ends: each test runs once against the main window
// (offscreen, its rows read as a user sees them) and once against quillet-cli's front end (no
// rows: what the list would show).
#include "WindowHarness.h"

#include "TaskListView.h"
#include "app/SessionController.h"
#include "app/TaskListController.h"
#include "cli/CliFrontEnd.h"
#include "platform/Paths.h"
#include "profiles/DefaultProfileStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;

constexpr const char *kRefused
    = "The folder /proc/ cannot be written to. Please choose another output folder.";

/// Copies of a short clip, named as asked, in folder.
std::vector<std::string> Clips(const fs::path &folder, const std::vector<std::string> &names)
{
    std::vector<std::string> paths;
    for (const std::string &name : names) {
        fs::copy_file(GeneratedClip("clip.mp4", 0.5, 160, 120), folder / name);
        paths.push_back((folder / name).string());
    }
    return paths;
}

/// The main window, as the program starts it.
class WindowFront
{
public:
    static constexpr bool kRemembers = true;

    WindowFront()
        : m_window(m_harness.Start())
    { }
    SessionController &Session() { return m_window.Session(); }
    ConverterApp &App() { return m_harness.app; }
    TaskList &Tasks() { return m_harness.tasks; }
    fs::path Media() const { return m_harness.MediaFolder(); }
    void Add(const std::vector<std::string> &names)
    {
        m_window.AddStartFiles(Clips(Media(), names));
    }
    void AnswerYes() { m_harness.prompter.answers.assign(4, true); }
    std::string Told() const
    {
        std::string all;
        for (const std::string &text : m_harness.prompter.told)
            all += text + "\n";
        return all;
    }
    std::string Shown(int row) const { return Item(row)->text(4).toStdString(); }
    std::string ShownPath(int row) const
    {
        return Item(row)->toolTip(TaskListView::kDestinationColumn).toStdString();
    }

private:
    QTreeWidgetItem *Item(int row) const
    {
        QTreeWidgetItem *item = m_window.ListView()->topLevelItem(row);
        EXPECT_NE(item, nullptr) << row;
        return item;
    }

    WindowHarness m_harness;
    MainDialog &m_window;
};

/// quillet-cli's front end on a program folder of its own, as CliApp sets it up.
class CliFront
{
public:
    static constexpr bool kRemembers = false;

    CliFront()
    {
        fs::copy(ProgramDir() / "ini", m_program.path() / "ini");
        m_app.FillTexts();
        m_session.LoadRememberedProfile();
        m_session.ChangeOutputFolder(m_program.file("output"));
        testing::internal::CaptureStderr();
    }
    ~CliFront() { testing::internal::GetCapturedStderr(); }
    SessionController &Session() { return m_session; }
    ConverterApp &App() { return m_app; }
    TaskList &Tasks() { return m_tasks; }
    fs::path Media() const { return m_media.path(); }
    void Add(const std::vector<std::string> &names)
    {
        for (const std::string &path : Clips(Media(), names))
            m_list.AddSourceFile(path);
    }
    void AnswerYes() { m_front.SetAnswer(true); }
    /// What went to standard error so far: the messages and the questions with their answers.
    std::string Told()
    {
        m_told += testing::internal::GetCapturedStderr();
        testing::internal::CaptureStderr();
        return m_told;
    }
    std::string Shown(int row) const
    {
        return std::string(platform::FileNameOf(m_list.ShownDestination(row)));
    }
    std::string ShownPath(int row) const { return m_list.ShownDestination(row); }

private:
    TempDir m_program;
    TempDir m_settings;
    TempDir m_media;
    RegistryAccess m_registry{platform::SettingsStore(m_settings.path())};
    ConverterApp m_app{m_registry, m_program.path().string()};
    MainState m_state;
    TaskList m_tasks;
    BuiltInTexts m_texts;
    cli::CliFrontEnd m_front{m_state};
    TaskListController m_list{m_tasks, m_front, m_app, m_state, m_texts};
    SessionController m_session{
        m_tasks, m_list, m_app, m_state, m_front, m_texts, SessionController::Remember::No};
    std::string m_told;
};

template<typename Front> class Session : public testing::Test
{
};
using Fronts = testing::Types<WindowFront, CliFront>;
TYPED_TEST_SUITE(Session, Fronts);

TYPED_TEST(Session, aPickedProfileGoesToTheSelectedTaskOrEveryTaskAsApplyToAllSays)
{
    for (const bool apply_to_all : {true, false}) {
        TypeParam front;
        front.Add({"a.mp4", "b.mp4"});
        front.Session().SetApplyToAll(false);
        front.AnswerYes();
        front.Session().SetApplyToAll(apply_to_all);
        front.Session().PickProfile({"mp3c.ini", "MP3 Audio"}, {1});
        EXPECT_EQ(front.Shown(0), apply_to_all ? "a.mp3" : "a.mp4");
        EXPECT_EQ(front.Shown(1), "b.mp3");
        EXPECT_EQ(front.Tasks().Get(1)->settings.section_name.str(), "MP3 Audio");
        // The window remembers the pick for its next start; quillet-cli never writes it.
        const DefaultProfileStore store(front.App().IniFolder());
        EXPECT_EQ(store.Read().output_ini_file.str() == "mp3c.ini", TypeParam::kRemembers);
    }
}

TYPED_TEST(Session, mergeTicksApplyToAllAndEveryRowShowsTheJoinedOutputUntilUnticked)
{
    TypeParam front;
    front.Add({"b.mp4", "a.mp4"});
    front.Session().SetApplyToAll(false);
    const fs::path folder = front.App().OutputFolder();
    WriteFile(folder / "b (joined).mp4", "made before");

    front.Session().SetMerge(true);
    EXPECT_TRUE(front.Session().ApplyToAll());
    for (int row : {0, 1}) {
        EXPECT_EQ(front.Shown(row), "b (joined) (1).mp4") << row;
        EXPECT_EQ(front.ShownPath(row), (folder / "b (joined) (1).mp4").string()) << row;
    }
    // Kept out of the new folder (No), the tasks' own outputs stay; the joined one moves.
    const fs::path other = front.Media() / "other";
    EXPECT_EQ(front.Session().ChangeOutputFolder(other.string()),
              SessionController::FolderChange::Changed);
    EXPECT_EQ(front.ShownPath(1), (other / "b (joined).mp4").string());
    front.Session().SetMerge(false);
    EXPECT_EQ(front.ShownPath(0), (folder / "b.mp4").string());
    EXPECT_EQ(front.Shown(0), "b.mp4");
    EXPECT_EQ(front.Shown(1), "a.mp4");
}

TYPED_TEST(Session, aNewOutputFolderTakesEveryDestinationAndOneThatCannotBeWrittenIsRefused)
{
    TypeParam front;
    front.Add({"a.mp4", "b.mp4"});
    const std::string first = front.App().OutputFolder();
    const fs::path second = front.Media() / "second";
    WriteFile(second / "a.mp4", "made before");
    front.AnswerYes();

    using Change = SessionController::FolderChange;
    struct Case
    {
        std::string folder;
        Change change;
        std::string folder_after; // the output folder, and where the rows' outputs go
        std::vector<std::string> shown;
    };
    const std::string moved = second.string() + "/";
    for (const Case &c : {Case{first, Change::Unchanged, first, {"a.mp4", "b.mp4"}},
                          Case{second.string(), Change::Moved, moved, {"a (1).mp4", "b.mp4"}},
                          Case{"/proc", Change::Refused, moved, {"a (1).mp4", "b.mp4"}}}) {
        EXPECT_EQ(front.Session().ChangeOutputFolder(c.folder), c.change) << c.folder;
        EXPECT_EQ(front.App().OutputFolder(), c.folder_after);
        for (int row : {0, 1}) {
            EXPECT_EQ(front.Shown(row), c.shown[static_cast<std::size_t>(row)]) << c.folder;
            EXPECT_EQ(front.ShownPath(row),
                      c.folder_after + c.shown[static_cast<std::size_t>(row)]);
        }
        EXPECT_EQ(front.Told().find(kRefused) != std::string::npos, c.change == Change::Refused)
            << front.Told();
    }
}

TYPED_TEST(Session, theRunRequestCarriesTheSessionsChoicesOrIsRefusedForAnUnwritableFolder)
{
    TypeParam front;
    front.Add({"a.mp4", "b.mp4"});
    front.Session().SetMerge(true);
    front.Session().PickProfile({"mp3c.ini", "MP3 Audio"}, {});

    // The list menu's rows are converted on their own, never merged.
    const Task *first = front.Tasks().Get(0);
    for (const auto &only : {std::vector<const Task *>{}, std::vector<const Task *>{first}}) {
        const auto request = front.Session().PrepareRun(only, nullptr, 3);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->merge, only.empty());
        EXPECT_EQ(request->only, only);
        EXPECT_EQ(request->output_folder, front.App().OutputFolder());
        EXPECT_EQ(request->current_profile.section_name.str(), "MP3 Audio");
        EXPECT_EQ(request->simultaneous_jobs, 3);
        EXPECT_GT(request->total_estimated_mb, 0);
    }

    front.App().SetOutputFolder("/proc/");
    EXPECT_FALSE(front.Session().PrepareRun({}, nullptr, 1));
    EXPECT_NE(front.Told().find(kRefused), std::string::npos) << front.Told();
}

} // namespace
} // namespace quillet::test
