// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainState.h"
#include "app/TaskListHost.h"
#include "core/TaskList.h"
#include "platform/OpticalDrives.h"
#include "texts/Texts.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

class ConverterApp;

/**
 * The task list's operations, free of any window toolkit: adding files (one, from the file
 * dialog, a folder, dropped paths), removing, moving, the row texts and the summary line. Row i
 * of the host shows task i.
 */
class TaskListController
{
public:
    using TickFn = std::function<uint32_t()>;
    /// Called for every added file after its task is made and before it joins the list (the
    /// Matroska subtitle offer hooks in here).
    using AddedFn = std::function<void(Task &)>;

    TaskListController(TaskList &tasks, TaskListHost &host, const ConverterApp &app,
                       MainState &state, const Texts &texts);
    /// For a front end without a window: the list has no rows to show (HeadlessListHost).
    TaskListController(TaskList &tasks, SessionHost &front_end, const ConverterApp &app,
                       MainState &state, const Texts &texts);
    ~TaskListController();
    TaskListController(const TaskListController &) = delete;
    TaskListController &operator=(const TaskListController &) = delete;

    void SetTickSource(TickFn tick) { m_tick = std::move(tick); }
    void SetFileAddedHook(AddedFn hook) { m_on_added = std::move(hook); }

    /// Adds one file as a task; returns its row.
    int AddSourceFile(const std::string &path);
    void AddFilesFromDialog();
    void AddFolder();
    /// Scans folder (recursing into sub-folders when asked), adding every accepted file.
    void ScanFolder(const std::string &folder, bool recurse);
    void AddDroppedFiles(const std::vector<std::string> &paths);
    /// Adds the video streams of the AVCHD/Blu-ray discs in the optical drives; returns how many.
    int ImportDisc(const platform::DriveSources &sources);
    void RemoveSelected();
    void RemoveAll();
    /// Move the selected rows (one or several, together or apart) one place up or down, in
    /// their order; rows already packed at that end stay, the others pass them by one place.
    void MoveSelectedUp();
    void MoveSelectedDown();
    /// Whether MoveSelectedUp / MoveSelectedDown would move any row.
    bool CanMoveSelectedUp() const;
    bool CanMoveSelectedDown() const;
    /**
     * Names each of rows' outputs (ascending rows) as its conversion will: the first of its
     * destination, then its " (N)" names, that names no file and no other task's output (of a
     * row not being named, or named before it), so a row shows what will be written.
     */
    void SettleDestinations(const std::vector<int> &rows);
    /// Moves every task's output into folder (ending with '/') under its source's name and the
    /// profile's type, named again as SettleDestinations does.
    void MoveDestinationsTo(const std::string &folder);
    /// rows' tasks took another profile, settings or folder: their outputs are named again
    /// (when renamed), the window drops the last run's marks on them, and the rows and the
    /// summary show them anew.
    enum class Renamed { No, Yes };
    void TasksChanged(const std::vector<int> &rows, Renamed renamed);
    /// 0 .. Count() - 1.
    std::vector<int> EveryRow() const;
    /// What row's Destination shows: its own output, or with Merge ticked (and more than one
    /// task) the joined output every task goes into, named as the merged run will name it.
    std::string ShownDestination(int row) const;
    /// A merged run made path: the rows show it, not the name a next run would take, until
    /// the list or its tasks change.
    void NoteJoinedOutput(std::string path) { m_joined_made = std::move(path); }
    void RefreshRow(int index);
    void RefreshAllRows();
    void AfterListChange();
    /// The summary line: totals and disc fill when idle, progress and time left while converting.
    void ShowSummary(int position);

    /// Whether a name's extension (from its last '.') is among the accepted types.
    bool IsAccepted(std::string_view extension_text) const;

    /// Duration as "%02d:%02d:%02d".
    static std::string DurationText(float seconds);

private:
    enum class Direction { Up, Down };
    void MoveSelected(Direction direction);
    /// The selected rows after a move in direction, or empty when none would move.
    std::vector<int> MovedSelection(Direction direction) const;
    /// One flag per task: whether its row is selected.
    std::vector<bool> SelectionMask() const;
    void ShowIdleSummary(int position);
    void ShowConvertingSummary(int position);
    /// The joined output's path, as the merged run will name it.
    std::string JoinedDestination() const;
    void ScanFolderOnce(const std::string &folder, bool recurse,
                        std::vector<std::pair<uint64_t, uint64_t>> &visited);

    TaskList &m_tasks;
    std::unique_ptr<TaskListHost> m_headless; // the stand-in window of a front end without one
    TaskListHost &m_host;
    const ConverterApp &m_app;
    MainState &m_state;
    const Texts &m_texts;
    TickFn m_tick;
    AddedFn m_on_added;
    std::string m_dialog_start; // where the file dialog opens next
    // The joined output's path while RefreshAllRows shows it on every row: named once, not
    // once per row.
    std::optional<std::string> m_joined;
    std::optional<std::string> m_joined_made;
};

} // namespace quillet
