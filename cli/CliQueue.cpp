// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliQueue.h"

#include "core/BatchTexts.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace quillet::cli {

namespace {

bool IsRegularFile(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

CliQueue::CliQueue(const TaskList &tasks, const std::string &path)
    : m_path(path)
    , m_store(tasks, std::filesystem::path(path).parent_path(),
              std::filesystem::path(path).filename().string())
{ }

CliQueue::Opened CliQueue::Open(const Texts &texts, std::string &message)
{
    // The store sets aside what it cannot read by renaming it: a mistyped FILE that names a
    // folder or a device must be refused, never moved.
    struct stat st;
    if (::lstat(m_path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !IsRegularFile(m_path)) {
        message = "the queue " + m_path + " is not a regular file";
        return Opened::Failed;
    }
    switch (m_store.Open()) {
    case BatchStore::OpenResult::Owned:
        break;
    case BatchStore::OpenResult::Busy:
        message = FormatText(texts.LookupFormat(batch_texts::kSection, batch_texts::kBusy.key,
                                                batch_texts::kBusy.default_text),
                             m_path.c_str());
        return Opened::Busy;
    case BatchStore::OpenResult::Failed:
        message = "cannot keep the queue " + m_path + ": " + m_store.Error();
        return Opened::Failed;
    }
    BatchStore::ReadResult read = m_store.Read(texts);
    if (read.status == BatchStore::ReadResult::Status::Kept)
        m_kept = std::move(read.batch);
    else if (read.status == BatchStore::ReadResult::Status::SetAside)
        message = read.message;
    return Opened::Ready;
}

bool CliQueue::TakeKeptSubtitles(Task &task) const
{
    if (!m_kept)
        return false;
    for (const KeptTask &kept : m_kept->tasks) {
        const Task &earlier = *kept.task;
        if (earlier.source_path != task.source_path || earlier.subtitle_candidates.empty())
            continue;
        for (const std::string &candidate : earlier.subtitle_candidates)
            if (!IsRegularFile(candidate))
                return false;
        task.subtitle_path = earlier.subtitle_path;
        task.subtitle_candidates = earlier.subtitle_candidates;
        return true;
    }
    return false;
}

void CliQueue::Adopt()
{
    if (m_kept) {
        m_store.Adopt(std::move(*m_kept));
        m_kept.reset();
    } else {
        // Nothing kept (or a damaged file set aside): the queue starts with this list.
        m_store.Discard();
    }
}

bool CliQueue::Close(std::string &error)
{
    m_store.Close();
    // Whether the last write, Close's own, reached the disk.
    if (m_store.WaitUntilWritten())
        return true;
    error = m_store.Error();
    return false;
}

} // namespace quillet::cli
