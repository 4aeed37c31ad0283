// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/KeptBatch.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace quillet {

/**
 * Writes kept batches to one file on a thread of its own, so that encoding and the disk's flush
 * never hold up the caller: the caller hands over a snapshot and goes on. Only the newest
 * snapshot matters, so one handed over while an older one waits replaces it. Each write replaces
 * the file atomically (temporary file, fsync, rename): a crash or a kill at any moment leaves
 * the previous file or the new one.
 */
class BatchWriter
{
public:
    explicit BatchWriter(std::filesystem::path file);
    /// Finishes what was handed over, then stops.
    ~BatchWriter();
    BatchWriter(const BatchWriter &) = delete;
    BatchWriter &operator=(const BatchWriter &) = delete;

    /// Queues batch for writing, replacing a queued one that has not started.
    void Submit(KeptBatch batch);
    /// Waits until everything handed over is written (or failed).
    /// @return whether the last write succeeded (true when nothing was ever written)
    bool Wait();

    struct Statistics
    {
        uint64_t writes = 0; ///< files written
        uint64_t failures = 0; ///< writes that failed
        std::string last_error; ///< why the last failure failed
        double last_encode_ms = 0; ///< turning the last batch into text
        double last_write_ms = 0; ///< writing, flushing and renaming it
        std::size_t last_bytes = 0;
    };
    Statistics Figures() const;

private:
    void Run();

    const std::filesystem::path m_file;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<KeptBatch> m_queued;
    bool m_busy = false;
    bool m_stopping = false;
    bool m_last_ok = true;
    Statistics m_figures;
    std::thread m_thread; // last: it starts once everything above is ready
};

} // namespace quillet
