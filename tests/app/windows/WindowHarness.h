// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopActions.h"
#include "FileChooser.h"
#include "MainDialog.h"
#include "app/ConverterApp.h"
#include "core/MatroskaBinding.h"
#include "core/Prompter.h"
#include "core/TaskList.h"
#include "texts/LanguageTable.h"

#include "TempDir.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet::test {

/// Message boxes answered by script: every text told or asked is kept, questions take the
/// queued answers (No when none is left); a hook may act while the box would be open.
class ScriptedPrompter : public Prompter
{
public:
    std::vector<std::string> told;
    std::vector<std::string> asked;
    std::deque<bool> answers;
    std::function<void()> while_open;

    void Tell(std::string_view text, std::string_view, Icon) override;
    bool Ask(std::string_view question, std::string_view) override;
};

/// The desktop, recorded instead of opened.
class RecordingDesktop : public DesktopActions
{
public:
    std::vector<std::string> opened;
    std::vector<std::string> started;
    std::vector<std::string> shown;

    int Open(const std::string &target) override
    {
        opened.push_back(target);
        return 33; // handed over
    }
    void StartProgram(const std::string &path) override { started.push_back(path); }
    void ShowItem(const std::string &path) override { shown.push_back(path); }
};

/// File dialogs answered by script.
class ScriptedChooser : public FileChooser
{
public:
    std::vector<std::string> files;
    std::optional<std::string> folder;
    std::string folder_initial_seen;

    std::vector<std::string> ChooseFiles(std::string_view, std::string_view,
                                         const std::vector<FileFilter> &) override
    {
        return files;
    }
    std::optional<std::string> ChooseFolder(std::string_view, std::string_view,
                                            std::string_view initial) override
    {
        folder_initial_seen = initial;
        return folder;
    }
};

/// What a harness starts with.
struct HarnessOptions
{
    bool first_use_done = true; ///< firstuse already 1 in the settings
    std::string language; ///< stored language name; empty: the system's default rule
    std::string output_folder; ///< ConvertDir; empty: the program folder's output/
    bool desktop_buses = false; ///< the window talks to the process's system and session buses
    /// "Simultaneous conversions" in the settings: one at a time, so a stand-in engine's reports
    /// come in a known order; -1 leaves it unchosen (automatic).
    int simultaneous_jobs = 1;
};

/**
 * The windowed program as start-up builds it, in a program folder of its own (a copy of the
 * build's profiles, language files and pages) with settings in a temporary folder: the real
 * main window with scripted message boxes, file dialogs and desktop.
 */
class WindowHarness
{
public:
    explicit WindowHarness(const HarnessOptions &options = {});
    ~WindowHarness();

    /// Runs start-up and makes the window (not yet shown).
    MainDialog &Create();
    /// Create, show, and close the Add menu that opens by itself.
    MainDialog &Start();
    MainDialog &Window() { return *m_window; }
    void DestroyWindow();

    /// Waits (handling events) until the Add menu has opened by itself and closes it.
    bool DismissStartMenu();

    std::string ProgramFolder() const { return program.path().string(); }
    std::filesystem::path MediaFolder() const { return media.path(); }
    /// The three-line settings value, or empty.
    std::string SettingText(const std::string &name) const;
    uint32_t SettingNumber(const std::string &name) const;

    TempDir program;
    TempDir settings;
    TempDir media;
    RegistryAccess registry;
    ConverterApp app;
    LanguageTable languages;
    TaskList tasks;
    MatroskaBinding matroska;
    ScriptedPrompter prompter;
    RecordingDesktop desktop;
    ScriptedChooser chooser;

private:
    HarnessOptions m_options;
    std::unique_ptr<MainDialog> m_window;
};

/// Short generated clips for the window's tests, made once per test program.
std::filesystem::path GeneratedClip(const std::string &name, double seconds = 1.0, int width = 320,
                                    int height = 240);

/// Calls act with the modal window each time one is open, every 10 ms, until act returns true;
/// for answering a dialog that a command runs modally.
void ActOnModal(std::function<bool(QWidget *)> act);

/// Adds copies of clip under the given names to the window's list, as files given at start
/// are.
void AddCopies(WindowHarness &h, const std::vector<std::string> &names,
               const std::filesystem::path &clip);

/// Clicks a row of the window's task list (with modifiers: Ctrl adds it to the selection).
void ClickRow(MainDialog &w, int row, Qt::KeyboardModifiers modifiers = {});

/// The menu that is open, or null.
QMenu *OpenPopupMenu();
/// The texts of a menu's items, separators as "-".
QStringList MenuTexts(const QMenu *menu);
/// The action of menu whose text starts with text (null when none).
QAction *FindAction(const QMenu *menu, const QString &text);

/// Chooses the list menu's item for the one row selected, as a right click and a click do.
void ChooseFromListMenu(MainDialog &w, int row, const QString &text);

} // namespace quillet::test
