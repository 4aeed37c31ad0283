// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QtTranslations.h"
#include "app/MainState.h"
#include "app/SessionController.h"
#include "app/TaskListController.h"
#include "app/TaskListHost.h"
#include "core/ConversionDriver.h"
#include "core/ProfileApplier.h"
#include "core/RunObserver.h"
#include "core/SampleWorker.h"
#include "texts/LanguageKeys.h"

#include <QDBusConnection>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <filesystem>

#include <map>
#include <memory>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

/**
 * The main window: the program's only top-level window, a fixed-size dialog over the models that
 * do the work. It shows the task list (TaskListController drives it through TaskListHost), the
 * profile picker (CProfileComboBox over the catalogue), the output folder, the media size list
 * (CMediaSizeList over SplitList) and the summary bar, and it is the run observer of the
 * conversion driver: a batch runs synchronously inside the Convert command while the engine's
 * progress reports pump this window's events, so it stays painted and its Cancel face answers.
 *
 * The window is split by feature over several files: MainDialog.cpp (set-up, texts, closing),
 * _Layout (controls and their places), _States (enabling), _Commands (menus, accelerators, shell
 * commands, languages), _TaskList (the list's host side, drops, properties), _Profiles (picker
 * and default profile), _OutputFolder, _Converting (the run observer) and _TaskSettings (the
 * commands that open the option sheet, the audio track and the subtitle windows).
 */
namespace quillet {

class BatchNotifier;
class BatchStore;
class CFileInfoDlg;
class CGradientProgress;
class CLinkLabel;
class CMediaSizeList;
class CProfileComboBox;
class CSkinButton;
class ConverterApp;
class DesktopActions;
class FileChooser;
class LanguageTable;
class LauncherProgress;
class MatroskaBinding;
struct Task;
class TaskList;
class TaskListView;
class MessageBoxPrompter;
class SleepInhibitor;

class MainDialog : public QDialog, public TaskListHost, public RunObserver
{
    Q_OBJECT

public:
    /// The two start-up timers: the Add menu, and the first-run page.
    static constexpr int kAddMenuTimer = 102;
    static constexpr int kFirstRunTimer = 103;
    static constexpr int kStartTimerMs = 50;
    /// Shown when the window is closed during a batch; a fixed text, in no language file.
    static constexpr const char *kCloseRefused
        = "Please cancel the conversion process, then try to close the application again.";
    /// The disc burner, a program of the program folder.
    static constexpr const char *kDiscBurner = "Quorvin";
    /// Size of the profile picker's drop-down in pixels.
    static constexpr int kPickerPopupWidth = 500;
    static constexpr int kPickerPopupHeight = 380;

    MainDialog(ConverterApp &app, LanguageTable &languages, TaskList &tasks,
               MatroskaBinding &matroska, QWidget *parent = nullptr);
    ~MainDialog() override;

    /// Replace the message boxes, the desktop and the file dialogs (tests do); null restores
    /// the window's own.
    void SetPrompter(Prompter *prompter);
    void SetDesktop(DesktopActions *desktop);
    void SetFileChooser(FileChooser *chooser);
    /// The buses the desktop is told about a batch on: logind's sleep lock on system_bus, the
    /// taskbar progress and the end-of-batch notification on session_bus (the process's own
    /// system and session buses until a test gives others).
    void SetDesktopBuses(const QDBusConnection &system_bus, const QDBusConnection &session_bus);

    /// Re-reads every text of the window from the language file and redraws it.
    void RefreshTexts();
    /// Files given on the command line, added as dropped files are.
    void AddStartFiles(const std::vector<std::string> &paths);

    // The commands.
    void OnAddButton();
    void OnAddFiles();
    void OnAddFolder();
    void OnImportDisc();
    void OnRemoveButton();
    void OnRemoveSelected();
    void OnRemoveAll();
    void OnUp();
    void OnDown();
    void OnConvert();
    /// The list menu's Convert: the selected rows alone.
    void OnConvertSelected();
    /// The list menu's Convert again: the selected rows anew, though made before.
    void OnConvertAgain();
    void OnOptions();
    void OnAudioTrack();
    void OnSubtitle();
    void OnProperties();
    void OnApplyToAll();
    void OnMerge();
    void OnSplitChanged();
    void OnProfileSelected();
    void OnChangeOutputFolder();
    void OnOpenOutputFolder();
    void OnSettingsButton();
    void OnCheckForUpdate();
    void OnHelp();
    void OnMediaPlayer();
    void OnDiscBurner();
    void OnExit();
    void OnLanguageCommand(int command);
    void OnListSelectionChanged();
    void OnEmptyListClicked(const QPoint &global);
    void OnListContextMenu(const QPoint &position);
    void OnFirstRun();

    // list and sheet
    void SelectRows(const std::vector<int> &rows) override;
    /// The Delete key in the list: the selected rows go, as with the Delete button.
    void OnDeleteKey();
    void SetDiscOverflow(int percent) override;
    void ClearOutcomeMarks(const std::vector<int> &rows) override;

private:
    /// The bar's own colours while it shows no overflow (taken when the first one is shown).
    QList<QColor> m_bar_colors;

public:
    // What tests and the later windows reach.
    TaskListController &Controller() { return m_controller; }
    SessionController &Session() { return m_session; }
    ConversionDriver &Driver() { return m_driver; }
    MainState &State() { return m_state; }
    ConverterApp &App() { return m_app; }
    TaskList &Tasks() { return m_tasks; }
    /// The menu shown last while it is open, else null.
    QMenu *OpenMenu() const { return m_menu; }
    TaskListView *ListView() const { return m_list; }
    CProfileComboBox *ProfilePicker() const { return m_picker; }
    CMediaSizeList *MediaSizeList() const { return m_sizes; }
    CGradientProgress *ProgressBar() const { return m_progress; }
    CLinkLabel *Banner() const { return m_banner; }
    QLineEdit *OutputFolderEdit() const { return m_output_edit; }
    QCheckBox *ApplyToAllBox() const { return m_apply_all; }
    QCheckBox *MergeBox() const { return m_merge; }
    CSkinButton *AddButton() const { return m_add; }
    CSkinButton *ConvertButton() const { return m_convert; }
    CSkinButton *AudioButton() const { return m_audio; }
    CSkinButton *SubtitleButton() const { return m_subtitle; }
    CSkinButton *RemoveButton() const { return m_remove; }
    CSkinButton *UpButton() const { return m_up; }
    CSkinButton *DownButton() const { return m_down; }
    CSkinButton *OptionsButton() const { return m_options; }
    CSkinButton *ChangeFolderButton() const { return m_change_folder; }
    CSkinButton *OpenFolderButton() const { return m_open_folder; }
    CSkinButton *UpdateButton() const { return m_update; }
    CSkinButton *SettingsButton() const { return m_settings; }
    QLabel *ProfileLabel() const { return m_profile_label; }
    QLabel *OutputLabel() const { return m_output_label; }
    QList<QFrame *> Frames() const { return m_frames; }
    bool StartTimerActive(int id) const;

    // TaskListHost
    void InsertRow(int index, std::string_view first_cell) override;
    void SetCell(int row, int column, std::string_view text) override;
    void DeleteRow(int row) override;
    std::vector<int> SelectedRows() const override;
    void SelectOnly(int row) override;
    void UpdateButtonStates() override;
    void SetWaitCursor(bool on) override;
    std::vector<std::string> ChooseFiles(std::string_view title, std::string_view initial) override;
    std::optional<std::string> ChooseFolder(std::string_view title,
                                            std::string_view instruction) override;
    void SetSummary(std::string_view caption) override;
    void SetSummaryPosition(int position) override;
    std::string SplitChoiceText() const override;
    int CustomSplitSizeMb() const override;

    // Prompter (for both)
    void Tell(std::string_view text, std::string_view caption = {},
              Icon icon = Icon::Warning) override;
    bool Ask(std::string_view question, std::string_view caption = {}) override;

    // RunObserver
    void SetConverting(bool converting) override;
    void SetCurrentOutput(const std::string &path) override;
    void ShowProgress(int percent) override;
    void PumpEvents() override;
    void LogCommandLine(const std::string &line) override;
    void OutputFinished(const std::string &path) override;
    void ShowOutput(const std::string &path) override;

public slots:
    /// Ends the window when called from code; the Escape key goes through keyPressEvent, which
    /// closes an open menu or cancels a batch and otherwise does nothing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void InitWindow();
    void CreateControls();
    void PlaceControls();
    void ApplySkin();
    void ConnectCommands();
    void CreateAccelerators();
    void SetUpProgressBar();
    void SetUpProfilePicker();
    void LoadDefaultProfile();
    void ReloadProfileFromTask(int row);
    void UseSavedAsProfile(const Task &task);
    void ShowMenu(QMenu *menu, const QPoint &global);
    QMenu *NewMenu();
    QMenu *BuildAddMenu();
    QMenu *BuildRemoveMenu();
    QMenu *BuildSettingsMenu();
    QMenu *BuildListMenu();
    void SetConvertFace(bool converting);
    void OpenWithWaitCursor(const std::string &target);
    void StartWithWaitCursor(const std::string &program);
    QString WindowCaption() const;
    void EndBatchOnDesktop();
    /// Runs a batch of only's tasks (every task when empty).
    void ConvertTasks(const std::vector<const Task *> &only);
    QString BatchEndText(int converted, int failed) const;

    ConverterApp &m_app;
    LanguageTable &m_languages;
    TaskList &m_tasks;
    MatroskaBinding &m_matroska;
    MainState m_state;
    TaskListController m_controller;
    SessionController m_session;
    ConversionDriver m_driver;
    /// The kept batch: what runs made of each task, so Convert does not make a finished row a
    /// second time, written to the state folder once KeepBatch has opened it there.
    std::unique_ptr<BatchStore> m_kept;

    std::unique_ptr<MessageBoxPrompter> m_own_prompter;
    std::unique_ptr<DesktopActions> m_own_desktop;
    std::unique_ptr<FileChooser> m_own_chooser;
    Prompter *m_prompter;
    DesktopActions *m_desktop;
    FileChooser *m_chooser;

    CLinkLabel *m_banner = nullptr;
    CSkinButton *m_update = nullptr;
    CSkinButton *m_settings = nullptr;
    QLabel *m_profile_label = nullptr;
    CProfileComboBox *m_picker = nullptr;
    CSkinButton *m_options = nullptr;
    QCheckBox *m_apply_all = nullptr;
    TaskListView *m_list = nullptr;
    CSkinButton *m_add = nullptr;
    CSkinButton *m_convert = nullptr;
    CSkinButton *m_audio = nullptr;
    CSkinButton *m_subtitle = nullptr;
    CSkinButton *m_remove = nullptr;
    CSkinButton *m_up = nullptr;
    CSkinButton *m_down = nullptr;
    QLabel *m_output_label = nullptr;
    QLineEdit *m_output_edit = nullptr;
    CSkinButton *m_change_folder = nullptr;
    CSkinButton *m_open_folder = nullptr;
    QCheckBox *m_merge = nullptr;
    CMediaSizeList *m_sizes = nullptr;
    CGradientProgress *m_progress = nullptr;
    QList<QFrame *> m_frames;

    // What the desktop is told while a batch converts (MainDialog_Converting.cpp).
    std::unique_ptr<SleepInhibitor> m_inhibitor;
    std::unique_ptr<LauncherProgress> m_launcher;
    std::unique_ptr<BatchNotifier> m_notifier;
    struct DesktopBatch
    {
        bool open = false; ///< the desktop has been told that a batch runs
        bool cancel_asked = false;
        int runs_expected = 0; ///< engine runs the batch makes: one per task, or one merged
        int runs_started = 0;
        int outputs = 0;
        std::string output_folder;
    } m_batch;

    QtTranslations m_qt_translations;
    QTimer m_add_menu_timer;
    QTimer m_first_run_timer;
    QPointer<QMenu> m_menu;

    // kept batch and jobs
public:
    /**
     * Keeps the task list in folder's batch file from now on (the program: the user's state
     * folder) and offers back a kept batch that did not finish. Call once, before files are
     * added. When another window keeps the file, this one runs without keeping.
     */
    void KeepBatch(const std::filesystem::path &folder);
    BatchStore &KeptBatch() { return *m_kept; }

    /// "Simultaneous conversions" in the settings menu: 0 (Automatic) or 1 to kMostJobs, kept in
    /// the settings under kJobsSetting; kUnchosenJobs until the user chooses.
    static constexpr int kMostJobs = 4;
    static constexpr int kUnchosenJobs = 0;
    static constexpr const char *kJobsSetting = "SimultaneousJobs";
    int SimultaneousJobs() const;
    void SetSimultaneousJobs(int jobs);
    /// The summary line with the whole batch's time left.
    void ShowRunProgress(const RunProgress &progress) override;

protected:
    void changeEvent(QEvent *event) override;
    /// Escape closes an open menu and cancels a batch; on the idle window it does nothing, so a
    /// stray key cannot end the program and lose the gathered list.
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool AskRestore(int count);
    void RestoreTasks(std::vector<std::unique_ptr<Task>> restored);
    /// Marks the rows of restored tasks whose source is gone or changed, or whose output exists.
    void ShowKeptRows();
    /// Something in the list changed: the store hears of it once the events are handled.
    void NoteListChange();
    void SyncKeptBatch();
    void PollKeptBatch();

    QTimer m_kept_timer;
    bool m_kept_sync_due = false;

    // Sample estimates while idle (MainDialog_Estimates.cpp).
public:
    /// The engine sample estimates run on (the library's by default); for tests.
    void SetSampleEngine(ConversionDriver::EngineFn engine);
    /// Stops the sample estimate under way, if any, at once: none runs beside a batch.
    void StopSamples();
    /// Whether a sample estimate is under way.
    bool Sampling() const { return m_sample != nullptr; }

private:
    std::optional<double> MeasuredBytes(int row) const override;
    void IdleSummaryShown() override;
    void SetSummaryTip(std::string_view text) override;
    void SetUpSamples();
    void StartNextSample();
    void PollSamples();

    /// What a sample measured of a task, for the recipe it had then; no bytes when it failed.
    struct Measured
    {
        std::string recipe;
        std::optional<double> bytes;
    };
    ConversionDriver::EngineFn m_sample_engine = ffmain;
    std::map<const Task *, Measured> m_measured;
    QTimer m_sample_idle; ///< a measure starts when the list was left alone this long
    QTimer m_sample_poll; ///< while a worker runs: its end, a batch starting
    bool m_samples_set_up = false;
    /// Stopped workers, until their threads end (the engine stops within a report or two).
    std::vector<std::unique_ptr<sizing::SampleWorker>> m_retired;
    /// Declared last, so it is stopped and joined before anything it was given goes.
    std::unique_ptr<sizing::SampleWorker> m_sample;
};

} // namespace quillet
