// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/BatchStore.h"

#include <optional>
#include <string>

namespace quillet::cli {

/**
 * quillet-cli --queue FILE: the batch kept in FILE as it goes (core/BatchStore), so that a run
 * that was killed, stopped or that failed in part is taken up by the next run with the same FILE
 * and inputs, which converts only what is not done. One run at a time keeps a FILE.
 *
 * In CliApp::Convert: Open before any file is probed (a second run is turned away at once), the
 * tasks built from the command line, Adopt, the driver with Store() as the run's kept batch, Close.
 */
class CliQueue
{
public:
    /// path: the queue file, absolute.
    CliQueue(const TaskList &tasks, const std::string &path);

    enum class Opened {
        Ready, ///< this run keeps the file (message: a damaged one was set aside, or nothing)
        Busy, ///< another run keeps it (message says so)
        Failed, ///< it cannot be kept: not a regular file, a folder that cannot be made ...
    };
    /// Takes the file and reads what an earlier run kept in it.
    Opened Open(const Texts &texts, std::string &message);

    /**
     * For --extract-subtitles: gives task the subtitles an earlier run extracted for its source,
     * when they are all still there. Extracting again would give them new " (N)" names, and the
     * task another recipe than the one made, which would then be made a second time.
     * @return whether task has them
     */
    bool TakeKeptSubtitles(Task &task) const;

    /// Once the tasks are built: each takes the history of its kept twin.
    void Adopt();

    BatchStore &Store() { return m_store; }

    /// Writes what is left and gives the file up.
    /// @return false, with error, when the file could not be written
    bool Close(std::string &error);

private:
    const std::string m_path;
    BatchStore m_store;
    std::optional<KeptBatch> m_kept;
};

} // namespace quillet::cli
