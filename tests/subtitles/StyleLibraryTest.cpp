// SPDX-License-Identifier: GPL-3.0-or-later
// libSubtitles as the converter uses it: loaded by name for each edit through the program's own
// SubtitleStyleEditor, its dialog driven by a user, the style saved where the engine reads it.

#include "subtitles.h"

#include "ModalDriver.h"
#include "StyleLibraryDriver.h"

#include "app/ConverterApp.h"
#include "app/RegistryAccess.h"
#include "disc/SubtitleStyleEditor.h"
#include "platform/SharedLibrary.h"

#include "TempDir.h"

#include <QDialog>
#include <QMessageBox>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillet;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WhenModal;
using quillet::test::WriteFile;
using subtitles_test::ChooseLargeYellowText;
using subtitles_test::IsStyleDialog;
using subtitles_test::ScopedEnvironment;

TEST(StyleLibrary, aStyleChosenInTheDialogIsSavedWhereTheEngineReadsIt)
{
    TempDir dir;
    const auto style = dir.path() / "style.ini";
    const ScopedEnvironment environment(dir, style);
    const SubtitleStyleEditor editor(quillet::test::ProgramDir().string());

    // Cancelled: nothing is stored.
    WhenModal(IsStyleDialog, [](QWidget *dialog) {
        quillet::test::Child<QSpinBox>(dialog, "fontSize")->setValue(50);
        qobject_cast<QDialog *>(dialog)->reject();
    });
    EXPECT_EQ(editor.Edit(nullptr), SubtitleStyleEditor::Result::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(style));

    WhenModal(IsStyleDialog, ChooseLargeYellowText);
    EXPECT_EQ(editor.Edit(nullptr), SubtitleStyleEditor::Result::Saved);
    const std::string saved = ReadFile(style);
    EXPECT_NE(saved.find("[Style]\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Fontsize=32\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("PrimaryColour=&H0000FFFF\n"), std::string::npos) << saved;

    // The next edit starts from the saved style; cancelling it keeps the file as it was.
    int size_shown = 0;
    WhenModal(IsStyleDialog, [&](QWidget *dialog) {
        size_shown = quillet::test::Child<QSpinBox>(dialog, "fontSize")->value();
        quillet::test::Child<QSpinBox>(dialog, "fontSize")->setValue(12);
        qobject_cast<QDialog *>(dialog)->reject();
    });
    EXPECT_EQ(editor.Edit(nullptr), SubtitleStyleEditor::Result::Cancelled);
    EXPECT_EQ(size_shown, 32);
    EXPECT_EQ(ReadFile(style), saved);
}

TEST(StyleLibrary, showsItsDialogInTheConvertersLanguageOverTheCallersWindow)
{
    TempDir dir;
    const ScopedEnvironment environment(dir, dir.path() / "style.ini");
    RegistryAccess(platform::SettingsStore(dir.path() / "settings"))
        .WriteText(ConverterApp::kSettingsKey, "language", "Deutsch (German)");
    QWidget owner;
    owner.show();
    QString title;
    QWidget *parent = nullptr;
    WhenModal(IsStyleDialog, [&](QWidget *dialog) {
        title = dialog->windowTitle();
        parent = dialog->parentWidget();
        qobject_cast<QDialog *>(dialog)->reject();
    });
    SubtitleStyleEditor(quillet::test::ProgramDir().string())
        .Edit(reinterpret_cast<void *>(owner.winId())); // NOLINT(performance-no-int-to-ptr)
    EXPECT_EQ(title.toStdString(), "Untertitelstil");
    EXPECT_EQ(parent, &owner);
}

TEST(StyleLibrary, entryPointsRefuseWhatTheyCannotUse)
{
    TempDir dir;
    const auto style = dir.path() / "style.ini";
    const ScopedEnvironment environment(dir, style);
    platform::SharedLibrary library;
    ASSERT_TRUE(library.Load("Subtitles", quillet::test::ProgramDir().string())) << library.Error();
    auto init = reinterpret_cast<decltype(&ST_Init)>(library.Symbol("ST_Init"));
    auto dialog = reinterpret_cast<decltype(&ST_GetSubtitleStyleDialog)>(
        library.Symbol("ST_GetSubtitleStyleDialog"));
    auto set = reinterpret_cast<decltype(&ST_SetIniSubtitleStyle)>(
        library.Symbol("ST_SetIniSubtitleStyle"));
    auto exit = reinterpret_cast<decltype(&ST_Exit)>(library.Symbol("ST_Exit"));
    ASSERT_TRUE(init && dialog && set && exit);

    EXPECT_EQ(init(0), ST_OK);
    StSubtitleStyle record{};
    EXPECT_EQ(dialog(1, &record, nullptr), ST_FAILED);
    EXPECT_EQ(dialog(0, nullptr, nullptr), ST_FAILED);
    EXPECT_EQ(set(nullptr), ST_FAILED);
    // A record the dialog never filled (the caller's zeroed block) stores nothing.
    EXPECT_EQ(set(&record), ST_FAILED);
    EXPECT_FALSE(std::filesystem::exists(style));
    EXPECT_EQ(exit(), ST_OK);
    // Exit without Init, twice: harmless.
    EXPECT_EQ(exit(), ST_OK);
}

TEST(StyleLibrary, aStyleThatCannotBeSavedIsReportedInsteadOfTakenForSaved)
{
    TempDir dir;
    WriteFile(dir.path() / "plain-file", "x");
    const ScopedEnvironment environment(dir, dir.path() / "plain-file" / "style.ini");
    std::string told;
    WhenModal(IsStyleDialog, [&](QWidget *dialog) {
        WhenModal<QMessageBox>([&](QMessageBox *box) {
            told = box->text().toStdString();
            box->accept();
        });
        ChooseLargeYellowText(dialog);
    });
    SubtitleStyleEditor(quillet::test::ProgramDir().string()).Edit(nullptr);
    EXPECT_EQ(told.rfind("The subtitle style could not be saved: ", 0), 0u) << told;
    EXPECT_EQ(ReadFile(dir.path() / "plain-file"), "x");
}
