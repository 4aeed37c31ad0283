// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace dolmar {

class Scheduler;

/// Which queues a stop or the -fs limit cuts. The packets between the encoders and the muxer are
/// kept flowing after a stop, so that what the encoders still hold can reach the file; every
/// queue is cut when a stage fails.
enum class QueueScope {
    Upstream, ///< from the demuxer up to the encoders' input
    Output, ///< from the encoders to the muxer
};

/// How much one queue may hold: never more than items, and no more than bytes once it holds
/// anything (a single item larger than bytes still passes, or it could never move).
struct QueueLimits
{
    std::size_t items = 8;
    std::size_t bytes = std::size_t{32} << 20;
};

/// What the scheduler needs of every queue, whatever it carries: a way to wake all its waiters
/// for good. The derived queue registers with the scheduler once it is whole, and leaves before
/// it is taken apart, so that the scheduler never calls into half a queue.
class QueueBase
{
public:
    QueueBase(const QueueBase &) = delete;
    QueueBase &operator=(const QueueBase &) = delete;

    QueueScope Scope() const { return m_scope; }
    /// Ends the queue at once: every waiting and later Send and Receive fails; items are dropped.
    virtual void Abort() = 0;

protected:
    QueueBase(Scheduler &scheduler, QueueScope scope);
    ~QueueBase();
    void Register();
    void Unregister();

private:
    Scheduler &m_scheduler;
    QueueScope m_scope;
    bool m_registered = false;
};

/**
 * A bounded queue between two stages, counted in items and limited in bytes. Sending waits
 * while it is full, receiving while it is empty; neither can wait forever, because each end can
 * close it for the other:
 *   - every sender says FinishSending() when it has nothing more: once the last one has and the
 *     queue is empty, Receive returns nothing (end of stream);
 *   - the receiver says FinishReceiving() when it wants nothing more (the -t point was passed):
 *     every Send returns false from then on, and the sender stops;
 *   - the scheduler aborts it when the run is stopped or fails: both ends return at once.
 */
template<typename Item> class ThreadQueue final : public QueueBase
{
public:
    ThreadQueue(Scheduler &scheduler, QueueScope scope, QueueLimits limits, int senders = 1)
        : QueueBase(scheduler, scope)
        , m_limits(limits)
        , m_senders(senders)
    {
        Register();
    }
    ~ThreadQueue() { Unregister(); }

    /// Queues item, waiting while the queue is full. False when the receiver has finished or
    /// the queue was aborted; the item is dropped then.
    bool Send(Item item, std::size_t bytes)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_closed || !Full(bytes); });
        if (m_closed)
            return false;
        m_items.push_back(Entry{std::move(item), bytes});
        m_bytes += bytes;
        m_changed.notify_all();
        return true;
    }

    /// The next item, waiting while the queue is empty; nothing once every sender has finished
    /// and the queue is empty, or when it was aborted.
    std::optional<Item> Receive()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_aborted || !m_items.empty() || m_senders == 0; });
        if (m_aborted || m_items.empty())
            return std::nullopt;
        Entry entry = std::move(m_items.front());
        m_items.pop_front();
        m_bytes -= entry.bytes;
        m_changed.notify_all();
        return std::move(entry.item);
    }

    /// One sender has nothing more to send.
    void FinishSending()
    {
        std::lock_guard lock(m_mutex);
        if (m_senders > 0)
            --m_senders;
        m_changed.notify_all();
    }

    /// The receiver wants nothing more: senders stop, what is queued is dropped.
    void FinishReceiving()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_items.clear();
        m_bytes = 0;
        m_changed.notify_all();
    }

    void Abort() override
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
        m_closed = true;
        m_items.clear();
        m_bytes = 0;
        m_changed.notify_all();
    }

    bool Aborted() const
    {
        std::lock_guard lock(m_mutex);
        return m_aborted;
    }

private:
    struct Entry
    {
        Item item;
        std::size_t bytes;
    };

    bool Full(std::size_t bytes) const
    {
        if (m_items.empty())
            return false;
        return m_items.size() >= m_limits.items || m_bytes + bytes > m_limits.bytes;
    }

    const QueueLimits m_limits;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Entry> m_items;
    std::size_t m_bytes = 0;
    int m_senders;
    bool m_closed = false; ///< Send refuses: the receiver finished, or aborted
    bool m_aborted = false;
};

} // namespace dolmar
