// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TimeLeftEstimator.h"

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

// Less media than this says little of a speed.
constexpr double kMeasuredMediaS = 0.5;

// The engine's position is what has reached the encoders, and a video encoder takes in its
// look-ahead (x264: 40 pictures and a few more for its threads, 1.5 to 2 s) at once, long before
// it encodes them; it encodes them at the end, when the position no longer moves. So the first
// seconds of a task's position are credited only when it ends, and the time until its position
// passes them counts toward its kind's speed then. Without this a 24 s 720p task read at a
// quarter of the batch promised a quarter less than it took.
constexpr double kLookAheadS = 2.0;

// Until sound alone has been measured in a batch, it is taken to cost what a picture of this many
// pixels costs, and the other way round: MP3 at 192 kbit/s from a video file took 0.012 s a
// second where H.264 took 0.29 s at 640x480 and 0.96 s at 1280x720, about 1.0e-6 s a pixel.
constexpr double kSoundAsPixels = 12000;

double Pixels(const WorkKind &kind)
{
    if (kind.width <= 0 || kind.height <= 0)
        return kSoundAsPixels;
    return static_cast<double>(kind.width) * static_cast<double>(kind.height);
}

bool HasVideo(const WorkKind &kind)
{
    return kind.width > 0 && kind.height > 0;
}

} // namespace

TimeLeftEstimator::TimeLeftEstimator(std::vector<TimedTask> tasks, double now_s)
    : m_tasks(std::move(tasks))
    , m_clocks(m_tasks.size())
    , m_last_s(now_s)
{
    for (TimedTask &task : m_tasks) {
        // A length no probe could read converts nothing we can count; a weight below one
        // processor would let a task's share outgrow the time that passed.
        if (!std::isfinite(task.media_s) || task.media_s < 0)
            task.media_s = 0;
        task.cores = std::isfinite(task.cores) ? std::max(task.cores, 1.0) : 1.0;
    }
}

TimeLeftEstimator::KindSpeed &TimeLeftEstimator::SpeedOf(const WorkKind &kind)
{
    for (KindSpeed &speed : m_speeds)
        if (speed.kind == kind)
            return speed;
    return m_speeds.emplace_back(KindSpeed{kind});
}

const TimeLeftEstimator::KindSpeed *TimeLeftEstimator::FindSpeed(const WorkKind &kind) const
{
    for (const KindSpeed &speed : m_speeds)
        if (speed.kind == kind)
            return &speed;
    return nullptr;
}

void TimeLeftEstimator::Advance(double now_s, const std::vector<JobPosition> *running)
{
    // A clock that went back (it never should) adds nothing rather than take time away.
    const double dt = std::max(0.0, now_s - m_last_s);
    m_last_s = std::max(m_last_s, now_s);
    m_elapsed_s += dt;

    double cores = 0;
    for (std::size_t i = 0; i < m_tasks.size(); ++i)
        if (m_clocks[i].state == State::Running)
            cores += m_tasks[i].cores;
    if (cores <= 0) {
        m_idle_s += dt;
        return;
    }
    for (std::size_t i = 0; i < m_tasks.size(); ++i) {
        TaskClock &clock = m_clocks[i];
        if (clock.state != State::Running)
            continue;
        const double share = dt * m_tasks[i].cores / cores;
        double position = clock.position_s;
        if (running)
            for (const JobPosition &at : *running)
                if (at.index == i && std::isfinite(at.position_s))
                    position = std::max(position, at.position_s);
        if (!clock.moving && position <= 0) {
            clock.opening_s += share;
            continue;
        }
        clock.moving = true;
        clock.position_s = position;
        const double steady = position - kLookAheadS;
        if (steady <= 0) {
            clock.warm_s += share;
            continue;
        }
        KindSpeed &speed = SpeedOf(m_tasks[i].kind);
        speed.spent_s += share;
        speed.media_s += std::max(0.0, steady - clock.credited_s);
        clock.credited_s = std::max(clock.credited_s, steady);
    }
}

void TimeLeftEstimator::Started(std::size_t index, double now_s)
{
    Advance(now_s, nullptr);
    if (index < m_clocks.size() && m_clocks[index].state == State::Waiting)
        m_clocks[index] = TaskClock{State::Running};
}

void TimeLeftEstimator::Update(double now_s, const std::vector<JobPosition> &running)
{
    Advance(now_s, &running);
}

void TimeLeftEstimator::Ended(std::size_t index, double now_s, bool completed)
{
    Advance(now_s, nullptr);
    if (index >= m_clocks.size() || m_clocks[index].state != State::Running)
        return;
    TaskClock &clock = m_clocks[index];
    clock.state = State::Done;
    ++m_ended;
    // The look-ahead's media and the time it took are the task's too, now that they are done.
    KindSpeed &speed = SpeedOf(m_tasks[index].kind);
    speed.spent_s += clock.warm_s;
    speed.media_s += std::max(0.0, clock.position_s - clock.credited_s);
    if (completed) {
        speed.opening_s += clock.opening_s;
        ++speed.whole_tasks;
    }
}

void TimeLeftEstimator::Dropped(std::size_t index)
{
    if (index < m_clocks.size() && m_clocks[index].state != State::Done)
        m_clocks[index].state = State::Done;
}

std::optional<double> TimeLeftEstimator::CostPerSecond(const WorkKind &kind) const
{
    if (const KindSpeed *own = FindSpeed(kind); own && own->media_s >= kMeasuredMediaS)
        return own->spent_s / own->media_s;

    // Borrowed: a picture costs about its pixels, whatever other video was measured, and sound
    // what other sound did; only when neither was measured does one stand in for the other.
    double same_spent = 0, same_pixel_media = 0, all_spent = 0, all_pixel_media = 0;
    for (const KindSpeed &speed : m_speeds) {
        if (speed.media_s < kMeasuredMediaS)
            continue;
        const double pixel_media = speed.media_s * Pixels(speed.kind);
        all_spent += speed.spent_s;
        all_pixel_media += pixel_media;
        if (HasVideo(speed.kind) == HasVideo(kind)) {
            same_spent += speed.spent_s;
            same_pixel_media += pixel_media;
        }
    }
    if (same_pixel_media > 0)
        return same_spent / same_pixel_media * Pixels(kind);
    if (all_pixel_media > 0)
        return all_spent / all_pixel_media * Pixels(kind);
    return std::nullopt;
}

double TimeLeftEstimator::OpeningCost(const WorkKind &kind) const
{
    if (const KindSpeed *own = FindSpeed(kind); own && own->whole_tasks > 0)
        return own->opening_s / own->whole_tasks;
    double opening = 0;
    int tasks = 0;
    for (const KindSpeed &speed : m_speeds) {
        opening += speed.opening_s;
        tasks += speed.whole_tasks;
    }
    if (tasks > 0)
        return opening / tasks;
    // No task has ended whole yet: each will take at least as long to open as the running ones.
    int running = 0;
    for (const TaskClock &clock : m_clocks)
        if (clock.state == State::Running) {
            opening += clock.opening_s;
            ++running;
        }
    return running > 0 ? opening / running : 0;
}

std::optional<double> TimeLeftEstimator::SecondsLeft() const
{
    // What passed while no task ran (each task's post-processing, the work before the next),
    // spread over the tasks that ended, comes again after each task not done.
    const double between_s = m_ended > 0 ? m_idle_s / m_ended : 0;
    double left = 0;
    for (std::size_t i = 0; i < m_tasks.size(); ++i) {
        const TaskClock &clock = m_clocks[i];
        if (clock.state == State::Done)
            continue;
        const std::optional<double> cost = CostPerSecond(m_tasks[i].kind);
        if (!cost)
            return std::nullopt;
        // The media credited is done; the rest, the look-ahead included, is still to encode.
        left += std::max(0.0, m_tasks[i].media_s - clock.credited_s) * *cost + between_s;
        if (!clock.moving)
            left += std::max(0.0, OpeningCost(m_tasks[i].kind) - clock.opening_s);
    }
    return left;
}

int TimeLeftEstimator::Percent()
{
    double fraction = 0;
    if (const std::optional<double> left = SecondsLeft(); left && m_elapsed_s + *left > 0) {
        fraction = m_elapsed_s / (m_elapsed_s + *left);
    } else {
        double done = 0, all = 0;
        for (std::size_t i = 0; i < m_tasks.size(); ++i) {
            all += m_tasks[i].media_s;
            done += m_clocks[i].state == State::Done
                ? m_tasks[i].media_s
                : std::min(m_clocks[i].position_s, m_tasks[i].media_s);
        }
        fraction = all > 0 ? done / all : 0;
    }
    m_percent = std::max(m_percent, std::clamp(static_cast<int>(fraction * 100), 0, 100));
    return m_percent;
}

} // namespace quillet
