// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TaskListController.h"

#include "app/ConverterApp.h"
#include "app/HeadlessListHost.h"
#include "core/ArgumentBuilder.h"
#include "core/ExtensionList.h"
#include "core/ListPlan.h"
#include "core/MediaProbe.h"
#include "core/OutputPath.h"
#include "core/ProfileApplier.h"
#include "core/SizeModel.h"
#include "core/SizeTexts.h"
#include "core/SplitPresets.h"
#include "disc/DiscImport.h"
#include "disc/SplitList.h"
#include "platform/OutputClaim.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"
#include "texts/LanguageKeys.h"
#include "texts/Texts.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>

namespace quillet {

namespace {

uint32_t SteadyTickMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

/// Tenths of a second split into hours, minutes, seconds and tenths.
struct Clock
{
    int hours, minutes, seconds, tenths;
    static Clock FromSeconds(double seconds)
    {
        const long long t = static_cast<long long>(seconds * 10);
        return {static_cast<int>(t / 36000), static_cast<int>((t / 600) % 60),
                static_cast<int>((t / 10) % 60), static_cast<int>(t % 10)};
    }
};

class WaitCursor
{
public:
    explicit WaitCursor(TaskListHost &host)
        : m_host(host)
    {
        m_host.SetWaitCursor(true);
    }
    ~WaitCursor() { m_host.SetWaitCursor(false); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    TaskListHost &m_host;
};

/// A FIFO, socket or device is never a source: opening one blocks until a writer comes, or
/// reads what is not media at all. A path that cannot be looked at is left to the probe, which
/// says so on its row.
bool IsSpecialFile(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

/// Name order as a person reads it: runs of digits compare as numbers (clip2 before clip10),
/// letters without regard to case; names equal so compare by their bytes, so the order is total.
bool NameBefore(std::string_view a, std::string_view b)
{
    const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            const std::size_t a_start = i, b_start = j;
            while (i < a.size() && is_digit(a[i]))
                ++i;
            while (j < b.size() && is_digit(b[j]))
                ++j;
            // Leading zeros do not make a number larger.
            std::string_view x = a.substr(a_start, i - a_start);
            std::string_view y = b.substr(b_start, j - b_start);
            while (x.size() > 1 && x.front() == '0')
                x.remove_prefix(1);
            while (y.size() > 1 && y.front() == '0')
                y.remove_prefix(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (x != y)
                return x < y;
            continue;
        }
        const char x = platform::AsciiLower(a[i]), y = platform::AsciiLower(b[j]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

/// Moves every selected row one place towards the top (up) or the bottom past the unselected
/// row beside it, calling swap(from, to) for each; a run of selected rows already at that end
/// has nothing to pass and stays. Returns whether any row moved.
template<typename Swap> bool PassSelectedRows(std::vector<bool> &selected, bool up, Swap swap)
{
    const int count = static_cast<int>(selected.size());
    bool moved = false;
    const auto pass = [&](int from, int to) {
        const auto f = static_cast<std::size_t>(from), t = static_cast<std::size_t>(to);
        if (selected[f] && !selected[t]) {
            swap(from, to);
            selected[f] = false;
            selected[t] = true;
            moved = true;
        }
    };
    if (up)
        for (int i = 1; i < count; ++i)
            pass(i, i - 1);
    else
        for (int i = count - 2; i >= 0; --i)
            pass(i, i + 1);
    return moved;
}

} // namespace

TaskListController::TaskListController(TaskList &tasks, TaskListHost &host, const ConverterApp &app,
                                       MainState &state, const Texts &texts)
    : m_tasks(tasks)
    , m_host(host)
    , m_app(app)
    , m_state(state)
    , m_texts(texts)
    , m_tick(SteadyTickMs)
{
    m_dialog_start = app.ProgramFolder();
}

TaskListController::TaskListController(TaskList &tasks, SessionHost &front_end,
                                       const ConverterApp &app, MainState &state,
                                       const Texts &texts)
    : m_tasks(tasks)
    , m_headless(std::make_unique<HeadlessListHost>(front_end))
    , m_host(*m_headless)
    , m_app(app)
    , m_state(state)
    , m_texts(texts)
    , m_tick(SteadyTickMs)
{
    m_dialog_start = app.ProgramFolder();
}

TaskListController::~TaskListController() = default;

bool TaskListController::IsAccepted(std::string_view extension_text) const
{
    // The one list of core/ExtensionList, which the file dialog's filter is made from too.
    return ExtensionInList(kAcceptedExtensions, extension_text);
}

int TaskListController::AddSourceFile(const std::string &path)
{
    WaitCursor wait(m_host);
    m_joined_made.reset();
    const int row = m_tasks.Count();
    m_host.InsertRow(row, platform::FileNameOf(path));

    auto task = CreateTask(path, RouteFlag(path), -1, -1, m_texts, m_host);
    task->aspect_index = m_state.default_profile.aspect_index;
    ApplyProfile(
        *task, m_state.current_profile, ApplyPath::AddFile,
        {m_app.OutputFolder(), [](const std::string &p) { return platform::PathExists(p); }});
    if (m_on_added)
        m_on_added(*task);
    const int index = m_tasks.Add(std::move(task));
    // Two sources of one name would both show it, while the second is written as " (1)".
    SettleDestinations({index});
    // The second task of a merged batch makes the first row's output the joined one too.
    if (m_app.merge_flag && index == 1)
        RefreshRow(0);
    RefreshRow(index);
    return index;
}

void TaskListController::SettleDestinations(const std::vector<int> &rows)
{
    const int count = m_tasks.Count();
    std::vector<bool> settling(static_cast<std::size_t>(std::max(count, 0)), false);
    for (int row : rows)
        if (row >= 0 && row < count)
            settling[static_cast<std::size_t>(row)] = true;
    for (int row : rows) {
        Task *task = m_tasks.Get(row);
        if (!task)
            continue;
        // What the claim will find taken: a file, or the output of a task that keeps its name
        // or was named before this one.
        const auto taken = [&](const std::string &candidate) {
            for (int other = 0; other < count; ++other) {
                const bool named = !settling[static_cast<std::size_t>(other)] || other < row;
                if (other != row && named && m_tasks.Get(other)->destination_path == candidate)
                    return true;
            }
            return platform::PathExists(candidate);
        };
        task->destination_path
            = MakeUniqueOutputPath(task->destination_path, task->source_path, taken);
    }
}

void TaskListController::MoveDestinationsTo(const std::string &folder)
{
    std::vector<int> rows;
    for (int i = 0; i < m_tasks.Count(); ++i) {
        Task *task = m_tasks.Get(i);
        // From the source's own name: the " (N)" of the old folder means nothing in the new.
        task->destination_path
            = OutputPathFor(task->source_path, folder, task->settings.TargetType.view());
        rows.push_back(i);
    }
    SettleDestinations(rows);
}

void TaskListController::TasksChanged(const std::vector<int> &rows, Renamed renamed)
{
    m_joined_made.reset();
    if (renamed == Renamed::Yes)
        SettleDestinations(rows);
    // A mark says what a run made of the task as it was; it would now tell of another output.
    // Dropped before the rows are written, which sets their tooltips anew.
    m_host.ClearOutcomeMarks(rows);
    RefreshAllRows();
    ShowSummary(0);
}

std::vector<int> TaskListController::EveryRow() const
{
    std::vector<int> rows(static_cast<std::size_t>(std::max(m_tasks.Count(), 0)));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

std::string TaskListController::JoinedDestination() const
{
    // The merged run's own naming (the first source's name, " (joined)", then " (N)" past
    // existing files), so the rows show what it will write.
    BuildContext context;
    context.output_folder = m_app.OutputFolder();
    return BuildMergedArguments(m_tasks, m_state.current_profile, context).output_path;
}

std::string TaskListController::ShownDestination(int row) const
{
    const Task *task = m_tasks.Get(row);
    if (!task)
        return {};
    // Every row of a merged batch shows the one file its task goes into: an empty cell would
    // read as "nothing is written", and the first row's own name was never written at all.
    if (m_app.merge_flag && m_tasks.Count() > 1)
        return m_joined_made ? *m_joined_made : m_joined ? *m_joined : JoinedDestination();
    return task->destination_path;
}

void TaskListController::AddFilesFromDialog()
{
    const auto files = m_host.ChooseFiles("Add files...", m_dialog_start);
    if (files.empty())
        return;
    // The next dialog opens where this one ended: the folder of several files, or the file.
    m_dialog_start
        = files.size() == 1 ? files.front() : std::string(platform::FolderOf(files.front()));
    for (const auto &file : files)
        if (!IsSpecialFile(file))
            AddSourceFile(file);
    AfterListChange();
}

void TaskListController::AddFolder()
{
    WaitCursor wait(m_host);
    auto folder = m_host.ChooseFolder(
        LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strAddFolderTitleInfo")),
        LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strAddFolderSpecInfo")));
    if (!folder)
        return;
    const bool recurse
        = m_host.Ask(LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strSearchSubFolderInfo")));
    ScanFolder(*folder, recurse);
    AfterListChange();
}

void TaskListController::ScanFolder(const std::string &folder, bool recurse)
{
    std::vector<std::pair<uint64_t, uint64_t>> visited;
    ScanFolderOnce(folder, recurse, visited);
}

void TaskListController::ScanFolderOnce(const std::string &folder, bool recurse,
                                        std::vector<std::pair<uint64_t, uint64_t>> &visited)
{
    // A folder reached twice (through a link) is scanned once, so a link loop cannot hang.
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return;
    std::pair<uint64_t, uint64_t> id{st.st_dev, st.st_ino};
    if (std::find(visited.begin(), visited.end(), id) != visited.end())
        return;
    visited.push_back(id);

    // Gathered first and added in name order, the folder's own files before its sub-folders:
    // the file system's order is no order a person knows, and a merge joins in list order.
    std::vector<std::filesystem::path> files, folders;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        (it->is_directory(type_ec) ? folders : files).push_back(it->path());
    }
    const auto by_name = [](const std::filesystem::path &a, const std::filesystem::path &b) {
        return NameBefore(a.filename().string(), b.filename().string());
    };
    std::sort(files.begin(), files.end(), by_name);
    std::sort(folders.begin(), folders.end(), by_name);

    for (const auto &file : files) {
        const std::string path = file.string();
        if (IsSpecialFile(path))
            continue;
        const std::string name = file.filename().string();
        const auto dot = name.rfind('.');
        // The hidden temporary file of a run that was killed is no media to convert.
        if (dot == std::string::npos || platform::IsOutputClaimLeftover(name))
            continue;
        if (IsAccepted(std::string_view(name).substr(dot)))
            AddSourceFile(path);
    }
    if (recurse)
        for (const auto &sub : folders)
            ScanFolderOnce(sub.string(), recurse, visited);
}

void TaskListController::AddDroppedFiles(const std::vector<std::string> &paths)
{
    for (const auto &path : paths) {
        const auto dot = path.rfind('.');
        std::string_view ext = dot == std::string::npos ? std::string_view(path)
                                                        : std::string_view(path).substr(dot);
        if (IsAccepted(ext) && !IsSpecialFile(path))
            AddSourceFile(path);
    }
    AfterListChange();
}

int TaskListController::ImportDisc(const platform::DriveSources &sources)
{
    auto result = DiscImport::Run(
        sources, [this](const std::string &path) { return AddSourceFile(path); }, m_host);
    if (result.outcome == DiscImport::Outcome::Found)
        m_host.SelectOnly(result.last_row);
    m_host.UpdateButtonStates();
    ShowSummary(0);
    return static_cast<int>(result.added.size());
}

void TaskListController::RemoveSelected()
{
    m_joined_made.reset();
    for (;;) {
        const auto selected = m_host.SelectedRows();
        if (selected.empty())
            break;
        const int row = selected.front();
        m_tasks.Remove(row);
        m_host.DeleteRow(row);
    }
    RefreshAllRows();
    AfterListChange();
}

void TaskListController::RemoveAll()
{
    m_joined_made.reset();
    while (m_tasks.Count() > 0) {
        m_tasks.Remove(0);
        m_host.DeleteRow(0);
    }
    AfterListChange();
}

void TaskListController::MoveSelectedUp()
{
    MoveSelected(Direction::Up);
}

void TaskListController::MoveSelectedDown()
{
    MoveSelected(Direction::Down);
}

bool TaskListController::CanMoveSelectedUp() const
{
    return !MovedSelection(Direction::Up).empty();
}

bool TaskListController::CanMoveSelectedDown() const
{
    return !MovedSelection(Direction::Down).empty();
}

std::vector<bool> TaskListController::SelectionMask() const
{
    std::vector<bool> selected(static_cast<std::size_t>(std::max(m_tasks.Count(), 0)), false);
    for (int row : m_host.SelectedRows())
        if (row >= 0 && row < m_tasks.Count())
            selected[static_cast<std::size_t>(row)] = true;
    return selected;
}

std::vector<int> TaskListController::MovedSelection(Direction direction) const
{
    std::vector<bool> selected = SelectionMask();
    std::vector<int> rows;
    if (PassSelectedRows(selected, direction == Direction::Up, [](int, int) {}))
        for (std::size_t i = 0; i < selected.size(); ++i)
            if (selected[i])
                rows.push_back(static_cast<int>(i));
    return rows;
}

void TaskListController::MoveSelected(Direction direction)
{
    const std::vector<int> before = m_host.SelectedRows();
    const std::vector<int> after = MovedSelection(direction);
    if (after.empty())
        return;
    m_joined_made.reset();
    std::vector<bool> selected = SelectionMask();
    PassSelectedRows(selected, direction == Direction::Up,
                     [this](int from, int to) { m_tasks.Move(from, to); });
    const int first = std::min(before.front(), after.front());
    const int last = std::max(before.back(), after.back());
    // A merged batch is named after its first row, which every row shows.
    if (m_app.merge_flag && first == 0)
        RefreshAllRows();
    else
        for (int row = first; row <= last; ++row)
            RefreshRow(row);
    m_host.SelectRows(after);
    // A moved row keeps its planned size only through the summary, which reads the plan.
    ShowSummary(0);
    m_host.UpdateButtonStates();
}

std::string TaskListController::DurationText(float seconds)
{
    const Clock c = Clock::FromSeconds(seconds);
    return FormatText("%02d:%02d:%02d", c.hours, c.minutes, c.seconds);
}

void TaskListController::RefreshRow(int index)
{
    const Task *task = m_tasks.Get(index);
    if (!task)
        return;
    const std::string duration = DurationText(task->duration_s);
    m_host.SetCell(index, 0, platform::FileNameOf(task->source_path));
    m_host.SetCell(index, 1, duration);
    m_host.SetCell(index, 2, duration);
    m_host.SetCell(index, 3, EstimatedSizeText(*task, m_host.MeasuredBytes(index)));
    m_host.SetCell(index, 4, platform::FileNameOf(ShownDestination(index)));
    // The total is summed where the summary is shown, once for a whole refresh, not per row.
    if (index == m_tasks.Count() - 1)
        ShowSummary(0);
}

void TaskListController::RefreshAllRows()
{
    if (m_app.merge_flag && m_tasks.Count() > 1)
        m_joined = JoinedDestination();
    for (int i = 0; i < m_tasks.Count(); ++i)
        RefreshRow(i);
    m_joined.reset();
    m_state.total_size_mb = TotalEstimatedSizeMb(m_tasks);
}

void TaskListController::AfterListChange()
{
    m_host.SelectOnly(m_tasks.Count() - 1);
    m_host.UpdateButtonStates();
    ShowSummary(0);
}

void TaskListController::ShowSummary(int position)
{
    if (m_state.converting)
        ShowConvertingSummary(position);
    else
        ShowIdleSummary(position);
}

void TaskListController::ShowIdleSummary(int position)
{
    m_host.SetSummaryPosition(position);
    if (m_tasks.Count() == 0) {
        m_host.SetSummary(LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strProgressInfoTooltips")));
        m_host.IdleSummaryShown();
        return;
    }
    const std::string choice = m_host.SplitChoiceText();
    // What Convert will aim for, from the budget the driver makes, so the rows, the bar and the
    // line say what the run will do.
    const sizing::ListPlan plan = sizing::PlanList(
        m_tasks, {choice, m_host.CustomSplitSizeMb(), &m_state.current_profile, m_app.merge_flag},
        m_texts);

    std::vector<sizing::SizeBreakdown> estimates;
    estimates.reserve(static_cast<std::size_t>(m_tasks.Count()));
    // The model's sum, which the driver's disc check compares with the disc.
    m_state.total_size_mb = 0;
    for (const auto &task : m_tasks) {
        estimates.push_back(sizing::EstimateSize(sizing::ShapeOf(*task)));
        m_state.total_size_mb += estimates.back().Total() / sizing::kListMegabyteBytes;
    }
    const auto *preset = split::FindDiscPreset(choice);
    const bool planned = plan.status != sizing::ListPlan::Status::None;

    // Each row shows what its output should come to: its planned size where the plan sets its
    // rate, else what a sample encode measured, else the model's estimate.
    double shown_bytes = 0;
    for (int i = 0; i < m_tasks.Count(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        std::optional<double> known = planned ? plan.planned_bytes[index] : std::nullopt;
        if (!known)
            known = m_host.MeasuredBytes(i);
        shown_bytes += known.value_or(estimates[index].Total());
        m_host.SetCell(i, 3, EstimatedSizeText(estimates[index], known));
    }
    if (planned && plan.merged_bytes)
        shown_bytes = *plan.merged_bytes;
    const double shown_mb = shown_bytes / sizing::kListMegabyteBytes;

    std::string media;
    int overflow = 0;
    const auto fill_text = [&](const std::string &name, double fill) {
        // A full bar looked the same at 176 % as at 100 %: beyond the disc the text says how far.
        if (fill < 101)
            return name;
        overflow = static_cast<int>(std::min(fill, 1e6));
        return FormatText(LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strDiscFillInfo")),
                          name.c_str(), overflow);
    };
    const std::string size_name = preset
        ? LookupKey(m_texts, *SplitList::DisplayKey(choice))
        : FormatText(LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strSplitSizeInfo")),
                     std::to_string(m_host.CustomSplitSizeMb()).c_str());
    // A disc by its name, Custom by its size.
    const std::string disc = !planned ? std::string()
        : preset                      ? plan.capacity->name
                                      : sizing::FormatSplitSize(plan.capacity->bytes);
    std::string refusal;
    if (planned && plan.status == sizing::ListPlan::Status::CannotFit) {
        refusal = plan.refusal;
        if (const Task *refused = m_tasks.Get(plan.refused_task))
            refusal = std::string(platform::FileNameOf(refused->source_path)) + ": " + refusal;
        // The bar shows how far beyond the disc even the lowest rates go; the driver's words,
        // too long for the bar, are its tip.
        media = fill_text(preset ? size_name : disc,
                          std::max(101.0, plan.needed_bytes * 100 / plan.capacity->bytes));
    } else if (planned) {
        const double fill = shown_bytes * 100 / plan.capacity->bytes;
        m_host.SetSummaryPosition(static_cast<int>(std::min(fill, 100.0)));
        const auto &text = size_texts::kPlannedToFit;
        media = plan.status == sizing::ListPlan::Status::Planned
            ? FormatText(m_texts.LookupFormat(size_texts::kSection, text.key, text.default_text),
                         disc.c_str())
            : fill_text(size_name, fill);
    } else if (preset) {
        const double fill = shown_mb * 100 / preset->capacity_mb;
        m_host.SetSummaryPosition(static_cast<int>(std::min(fill, 100.0)));
        media = fill_text(size_name, fill);
    } else if (choice == split::kCustom) {
        media = size_name;
    } else {
        media = LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strSplitNoneInfo"));
    }

    double length = 0;
    for (const auto &task : m_tasks)
        length += task->duration_s;
    const Clock c = Clock::FromSeconds(length);

    // Each piece is a language text joined into one format: it may add no conversions.
    const std::string format = LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strTotalInfo"))
        + ": %d | " + LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strLengthInfo"))
        + ": %02d:%02d:%02d.%01d | "
        + LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strTotalSizeInfo")) + ": %0.2f MB | "
        + LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strMediaType")) + "%s";
    m_host.SetSummary(FormatText(format, m_tasks.Count(), c.hours, c.minutes, c.seconds, c.tenths,
                                 shown_mb, media.c_str()));
    m_host.SetDiscOverflow(overflow);
    m_host.SetSummaryTip(refusal);
    m_host.IdleSummaryShown();
}

void TaskListController::ShowConvertingSummary(int position)
{
    if (position <= 0) {
        m_state.start_tick = m_tick();
        m_host.SetSummary(LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strStartConvertingInfo")));
        return;
    }
    const uint32_t elapsed = m_tick() - m_state.start_tick;
    const uint32_t left_ms
        = static_cast<uint32_t>(100 - position) * (elapsed / static_cast<uint32_t>(position));
    const Clock c = Clock::FromSeconds(left_ms * 0.001);
    const std::string format
        = LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strCompletedInfo")) + ": %d%% | "
        + LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strTimeLeftInfo"))
        + ": %02d:%02d:%02d | "
        + LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strDestinationFileInfo")) + ": %s";
    const std::string file(platform::FileNameOf(m_state.current_output_path));
    m_host.SetSummary(FormatText(format, position, c.hours, c.minutes, c.seconds, file.c_str()));
    m_host.SetSummaryPosition(position);
}

} // namespace quillet
