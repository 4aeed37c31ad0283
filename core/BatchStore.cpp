// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BatchStore.h"

#include "core/BatchFile.h"
#include "core/BatchTexts.h"
#include "platform/AtomicFile.h"
#include "platform/OutputClaim.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace quillet {

namespace {

/// Makes every missing level of folder, private to the user as the base directory rules ask
/// of the state folder.
bool MakeFolder(const std::filesystem::path &folder, std::string &error)
{
    std::filesystem::path level;
    for (const auto &part : folder) {
        level /= part;
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            error = level.string() + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = folder.string() + ": not a folder";
        return false;
    }
    return true;
}

/// Whether name is a temporary file ReplaceFileAtomically left for file_name when its writer
/// was killed: "." + file_name + "." and six characters of mkstemp's.
bool IsWriteLeftover(const std::string &name, const std::string &file_name)
{
    const std::string prefix = "." + file_name + ".";
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0
        && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                                  prefix.size())
        == std::string::npos;
}

std::string Format(const Texts &texts, const batch_texts::Text &text, const std::string &value)
{
    return FormatText(texts.LookupFormat(batch_texts::kSection, text.key, text.default_text),
                      value.c_str());
}

} // namespace

BatchStore::BatchStore(const TaskList &tasks, std::filesystem::path folder,
                       const std::string &file_name)
    : m_tasks(tasks)
    , m_folder(folder.empty() ? std::filesystem::path(".") : std::move(folder))
    , m_file(m_folder / file_name)
    , m_clock([] { return std::chrono::steady_clock::now(); })
    , m_writer(m_file)
{ }

BatchStore::~BatchStore()
{
    Close();
}

BatchStore::OpenResult BatchStore::Open()
{
    if (m_owned)
        return OpenResult::Owned;
    if (!MakeFolder(m_folder, m_error))
        return OpenResult::Failed;
    const std::string name = m_file.filename().string();
    switch (m_lock.TryLock((m_folder / ("." + name + ".lock")).string(), &m_error)) {
    case platform::FileLock::Result::Busy:
        return OpenResult::Busy;
    case platform::FileLock::Result::Failed:
        return OpenResult::Failed;
    case platform::FileLock::Result::Locked:
        break;
    }
    m_owned = true;
    m_closed = false;
    // Only the lock's holder writes the file, so a temporary file of it is a dead writer's.
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(m_folder, ec)) {
        const std::string leftover = entry.path().filename().string();
        if (IsWriteLeftover(leftover, name) && entry.is_regular_file(ec))
            std::filesystem::remove(entry.path(), ec);
    }
    return OpenResult::Owned;
}

BatchStore::ReadResult BatchStore::Read(const Texts &texts)
{
    ReadResult result;
    if (!m_owned || m_closed)
        return result;
    std::string text;
    std::string error;
    const platform::ReadStatus status = platform::ReadTextFile(m_file, text, &error, kMaxFileBytes);
    if (status == platform::ReadStatus::Missing)
        return result;

    batch_file::Decoded decoded;
    if (status == platform::ReadStatus::Ok) {
        decoded = batch_file::Decode(text);
    } else {
        decoded.reason = error;
    }
    text = {};
    if (decoded.status == batch_file::Decoded::Status::Ok) {
        result.status = ReadResult::Status::Kept;
        result.batch = std::move(decoded.batch);
        m_answer_due = true;
        return result;
    }

    const bool newer = decoded.status == batch_file::Decoded::Status::Newer;
    result.status = ReadResult::Status::SetAside;
    result.reason = decoded.reason;
    result.set_aside_path = SetAside(newer ? ".newer" : ".damaged");
    if (result.set_aside_path.empty()) {
        m_keep_off = true;
        result.message = Format(texts, batch_texts::kNotSetAside, m_file.string());
    } else {
        result.message = Format(texts, newer ? batch_texts::kNewer : batch_texts::kDamaged,
                                result.set_aside_path);
    }
    return result;
}

std::string BatchStore::SetAside(std::string_view suffix)
{
    const std::string base = m_file.string() + std::string(suffix);
    for (int n = 0; n < 1000; ++n) {
        std::string target = n == 0 ? base : base + "." + std::to_string(n);
        const int code = platform::RenameWithoutReplacing(m_file.string(), target);
        if (code == 0)
            return target;
        if (code != EEXIST) {
            m_error = "cannot set " + m_file.string() + " aside: " + std::strerror(code);
            return {};
        }
    }
    return {};
}

std::vector<std::unique_ptr<Task>> BatchStore::Restore(KeptBatch batch)
{
    std::vector<std::unique_ptr<Task>> tasks;
    tasks.reserve(batch.tasks.size());
    for (KeptTask &kept : batch.tasks) {
        TaskFacts facts;
        facts.source_path = kept.task->source_path;
        facts.source_stamp = kept.source_stamp;
        facts.kept_source = true;
        facts.condition = ConditionOf(facts.source_path, facts.source_stamp);
        facts.run = std::move(kept.run);
        m_facts[kept.task.get()] = std::move(facts);
        m_restoring.insert(kept.task.get());
        tasks.push_back(std::move(kept.task));
    }
    m_phase = batch.phase;
    m_answer_due = false;
    Schedule(false);
    return tasks;
}

void BatchStore::Adopt(KeptBatch batch)
{
    std::vector<std::string> recipes;
    recipes.reserve(batch.tasks.size());
    for (const KeptTask &kept : batch.tasks)
        recipes.push_back(batch_file::RecipeOf(*kept.task));
    std::vector<bool> taken(batch.tasks.size(), false);
    for (const auto &task : m_tasks) {
        const std::string recipe = batch_file::RecipeOf(*task);
        TaskFacts &facts = FactsFor(*task);
        for (std::size_t i = 0; i < batch.tasks.size(); ++i) {
            if (taken[i] || recipes[i] != recipe)
                continue;
            taken[i] = true;
            facts.source_stamp = batch.tasks[i].source_stamp;
            facts.kept_source = true;
            facts.condition = ConditionOf(facts.source_path, facts.source_stamp);
            facts.run = std::move(batch.tasks[i].run);
            break;
        }
    }
    m_phase = batch.phase;
    m_answer_due = false;
    Schedule(false);
}

void BatchStore::Discard()
{
    m_answer_due = false;
    m_phase = BatchPhase::Idle;
    Schedule(true);
}

TaskFacts BatchStore::FreshFacts(const Task &task)
{
    TaskFacts facts;
    facts.source_path = task.source_path;
    facts.source_stamp = platform::StampOf(task.source_path);
    return facts;
}

TaskFacts &BatchStore::FactsFor(const Task &task)
{
    auto it = m_facts.find(&task);
    // A task made at the address of one removed without a word is another task.
    if (it == m_facts.end() || it->second.source_path != task.source_path)
        it = m_facts.insert_or_assign(&task, FreshFacts(task)).first;
    return it->second;
}

void BatchStore::TaskAdded(const Task &task)
{
    FactsFor(task);
    Schedule(false);
}

void BatchStore::TaskRemoved(const Task &task)
{
    m_facts.erase(&task);
    m_restoring.erase(&task);
    Schedule(false);
}

void BatchStore::NoteChange()
{
    Schedule(false);
}

bool BatchStore::WritesAllowed() const
{
    return m_owned && !m_closed && !m_answer_due && !m_keep_off;
}

void BatchStore::Schedule(bool at_once)
{
    m_dirty = true;
    if (!WritesAllowed())
        return;
    const auto now = m_clock();
    if (at_once || now >= m_next_write)
        WriteNow(now);
}

void BatchStore::Poll()
{
    // A write that failed (a full disk) is tried again with the next one due.
    const uint64_t failures = m_writer.Figures().failures;
    if (failures != m_failures_seen) {
        m_failures_seen = failures;
        m_dirty = true;
    }
    if (m_dirty && WritesAllowed()) {
        const auto now = m_clock();
        if (now >= m_next_write)
            WriteNow(now);
    }
}

std::optional<std::chrono::milliseconds> BatchStore::TimeUntilDue() const
{
    if (!m_dirty || !WritesAllowed())
        return std::nullopt;
    const auto left = m_next_write - m_clock();
    if (left <= std::chrono::steady_clock::duration::zero())
        return std::chrono::milliseconds(0);
    // Rounded up, so a timer set to it never fires early.
    return std::chrono::ceil<std::chrono::milliseconds>(left);
}

void BatchStore::WriteNow(std::chrono::steady_clock::time_point now)
{
    std::optional<KeptBatch> batch = Snapshot();
    if (!batch)
        return; // restored tasks are still on their way into the list
    m_writer.Submit(std::move(*batch));
    m_dirty = false;
    m_next_write = now + m_interval;
}

std::optional<KeptBatch> BatchStore::Snapshot()
{
    if (!m_restoring.empty()) {
        std::size_t seen = 0;
        for (const auto &task : m_tasks)
            seen += m_restoring.count(task.get());
        if (seen < m_restoring.size())
            return std::nullopt;
        m_restoring.clear();
    }
    // What is not in the list any more is forgotten here.
    std::unordered_map<const Task *, TaskFacts> known;
    known.reserve(static_cast<std::size_t>(m_tasks.Count()));
    for (const auto &task : m_tasks)
        known.emplace(task.get(), std::move(FactsFor(*task)));
    m_facts = std::move(known);

    KeptBatch batch;
    batch.phase = m_phase;
    batch.tasks.reserve(m_facts.size());
    for (const auto &task : m_tasks) {
        const TaskFacts &facts = m_facts.at(task.get());
        batch.tasks.push_back({CopyOf(*task), facts.source_stamp, facts.run});
    }
    return batch;
}

ResumeStep BatchStore::Resume(const Task &task)
{
    return Resume(task, batch_file::RecipeOf(task));
}

ResumeStep BatchStore::Resume(const Task &task, const std::string &recipe)
{
    TaskFacts &facts = FactsFor(task);
    if (facts.kept_source)
        facts.condition = ConditionOf(facts.source_path, facts.source_stamp);
    const ResumeVerdict verdict = DecideResume(facts.condition, facts.run, recipe);
    if (verdict.step == ResumeStep::Done && verdict.made && facts.run.made != verdict.made) {
        // Found through the claim of a run killed after its output was complete.
        facts.run.made = verdict.made;
        facts.run.claimed.reset();
        facts.run.running = false;
        facts.run.result
            = TaskResult{task.source_path, verdict.made->path, TaskResult::Status::Made, {}, 0};
        Schedule(false);
    }
    return verdict.step;
}

const TaskFacts *BatchStore::Facts(const Task &task) const
{
    const auto it = m_facts.find(&task);
    if (it == m_facts.end() || it->second.source_path != task.source_path)
        return nullptr;
    return &it->second;
}

void BatchStore::ConvertAgain(const Task &task)
{
    FactsFor(task).run = {};
    Schedule(false);
}

void BatchStore::RunStarted()
{
    m_phase = BatchPhase::Running;
    Schedule(false);
}

void BatchStore::TaskStarted(const Task &task, const std::string &claimed_output)
{
    TasksStarted({&task}, claimed_output, batch_file::RecipeOf(task));
}

void BatchStore::TasksStarted(const std::vector<const Task *> &tasks,
                              const std::string &claimed_output, const std::string &recipe)
{
    for (const Task *task : tasks) {
        RunFacts &run = FactsFor(*task).run;
        run = {};
        run.running = true;
        if (!claimed_output.empty())
            run.claimed = ClaimedOutput{claimed_output, recipe};
    }
    // Written ahead of the output: a run killed after the output got its final name finds the
    // claim on disk and does not make the output again.
    Schedule(true);
}

bool BatchStore::WaitUntilWritten()
{
    return m_writer.Wait();
}

void BatchStore::TaskFinished(const Task &task, const TaskResult &result)
{
    TaskFinished(task, result, batch_file::RecipeOf(task));
}

void BatchStore::TaskFinished(const Task &task, const TaskResult &result, const std::string &recipe)
{
    RunFacts &run = FactsFor(task).run;
    run.running = false;
    run.claimed.reset();
    run.made.reset();
    run.result = result;
    if (OutputWasMade(result)) {
        if (const auto stamp = platform::StampOf(result.output); stamp && stamp->regular)
            run.made = MadeOutput{result.output, stamp->size_bytes, recipe};
    }
    Schedule(false);
}

void BatchStore::TaskSkipped(const Task &task, const TaskResult &result)
{
    RunFacts &run = FactsFor(task).run;
    run.running = false;
    run.result = result;
    Schedule(false);
}

void BatchStore::RunEnded(bool completed)
{
    m_phase = completed ? BatchPhase::Finished : BatchPhase::Idle;
    for (auto &[task, facts] : m_facts)
        facts.run.running = false;
    Schedule(false);
}

void BatchStore::Close()
{
    if (m_closed)
        return;
    if (m_dirty && WritesAllowed())
        WriteNow(m_clock());
    m_writer.Wait();
    m_closed = true;
    m_owned = false;
    m_lock.Release();
}

std::string BatchStore::Error() const
{
    if (!m_error.empty())
        return m_error;
    return m_writer.Figures().last_error;
}

} // namespace quillet
