// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderStage.h"

#include "InputFile.h"

#include <algorithm>
#include <cmath>

namespace dolmar {

namespace {

// A frame that starts this far past the input's stated end, and this far after the last frame of
// its stream, carries a damaged timestamp.
constexpr double kPastTheEndSeconds = 1.0;
constexpr double kStrayJumpSeconds = 2.0;
// Timestamps of millisecond containers land a hair beside exact frame times.
constexpr double kTolerance = 1e-4;

} // namespace

DecoderStage::DecoderStage(Scheduler &scheduler, InputFile &input, int stream, int threads)
    : m_scheduler(scheduler)
    , m_input(input)
    , m_stream(stream)
    , m_decoder(input.Stream(stream), threads, input.Path())
    , m_input_queue(scheduler, QueueScope::Upstream, kPacketLimits)
{
    const InputOptions &options = input.Options();
    m_trim_start_s = options.start_us / 1e6;
    if (options.duration_us)
        m_trim_end_s = m_trim_start_s + *options.duration_us / 1e6;
}

DecoderStage::~DecoderStage() = default;

void DecoderStage::Feed(RouteQueue &queue)
{
    m_destinations.push_back(Destination{&queue, true});
}

void DecoderStage::Start()
{
    m_thread = m_scheduler.Spawn([this] { Run(); });
}

void DecoderStage::Join()
{
    m_thread.Join();
}

bool DecoderStage::AnyOpen() const
{
    return std::any_of(m_destinations.begin(), m_destinations.end(),
                       [](const Destination &destination) { return destination.open; });
}

void DecoderStage::Run()
{
    // The graphs hear of the end however it comes, or they would wait for it.
    struct EndOnExit
    {
        DecoderStage &stage;
        ~EndOnExit()
        {
            stage.m_input_queue.FinishReceiving();
            for (Destination &destination : stage.m_destinations)
                destination.queue->FinishSending();
        }
    } end_on_exit{*this};

    bool wanted = true;
    const Decoder::FrameSink sink = [&](AVFrame *frame) {
        if (wanted && !Dispatch(frame))
            wanted = false;
    };
    while (wanted) {
        std::optional<PacketPtr> packet = m_input_queue.Receive();
        if (!packet)
            break;
        m_scheduler.Checkpoint(StageKind::Decoder);
        m_decoder.Decode(packet->get(), sink);
    }
    // At the end of the input what the decoder still holds belongs to the output; after a cut
    // nothing more is wanted.
    if (wanted && !m_input_queue.Aborted())
        m_decoder.Decode(nullptr, sink);
}

bool DecoderStage::Dispatch(AVFrame *frame)
{
    if (frame->pts == AV_NOPTS_VALUE)
        return true; // a frame with no time cannot be placed; the next one will be
    const AVRational time_base = m_input.Stream(m_stream)->time_base;
    // From here on, timestamps count from the source's start: the clock of -ss/-t and of
    // subtitle files.
    frame->pts -= m_input.OriginIn(time_base);
    const double start_s = frame->pts * av_q2d(time_base);
    if (Stray(frame, start_s))
        return true;
    if (m_trim_end_s && start_s >= *m_trim_end_s - kTolerance) {
        // The -t point: each graph's input ends there, and the stream is done.
        const int64_t end_pts = std::llround(*m_trim_end_s / av_q2d(time_base));
        for (Destination &destination : m_destinations) {
            if (destination.open)
                destination.queue->Send(RouteItem{nullptr, time_base, end_pts}, 0);
            destination.open = false;
        }
        return false;
    }
    if (frame->sample_rate > 0) {
        // Sound straddling the -ss point is cut to the sample by the graph; wholly earlier
        // sound would only cost filter time.
        const double end_of_frame_s = start_s + double(frame->nb_samples) / frame->sample_rate;
        if (end_of_frame_s < m_trim_start_s - kTolerance)
            return true;
    } else if (start_s < m_trim_start_s - kTolerance) {
        // A picture shows from its timestamp; one before the -ss point is not wanted (the graph
        // repeats the next one from the -ss point instead).
        return true;
    }
    const std::size_t bytes = FrameBytes(frame);
    for (Destination &destination : m_destinations) {
        if (!destination.open)
            continue;
        if (!destination.queue->Send(RouteItem{CloneFrame(frame), time_base, 0}, bytes))
            destination.open = false;
    }
    return AnyOpen();
}

bool DecoderStage::Stray(const AVFrame *frame, double start_s)
{
    // The filters fill every gap up to a frame's time, with the last picture or with silence; a
    // damaged timestamp hours ahead would make hours of output from a file of seconds. A frame
    // that leaps from its stream's last frame to beyond where the input says it ends is left
    // out: what the file really holds still arrives in order. A stated end that is too early (a
    // file still growing when it was read) stops nothing, since its frames come in steps.
    const double previous_end_s = m_end_s.value_or(m_trim_start_s);
    const std::optional<double> stated_end_s = m_input.StatedDurationSeconds();
    if (stated_end_s && start_s > *stated_end_s + kPastTheEndSeconds
        && start_s - previous_end_s > kStrayJumpSeconds)
        return true;
    double length_s = 0;
    if (frame->sample_rate > 0 && frame->nb_samples > 0)
        length_s = double(frame->nb_samples) / frame->sample_rate;
    else if (frame->pkt_duration > 0)
        length_s = frame->pkt_duration * av_q2d(m_input.Stream(m_stream)->time_base);
    m_end_s = std::max(previous_end_s, start_s + length_s);
    return false;
}

} // namespace dolmar
