// SPDX-License-Identifier: GPL-3.0-or-later
#include "SegmentRunner.h"

#include "EngineError.h"
#include "InputFile.h"
#include "OutputSession.h"
#include "ProgressReporter.h"

#include <algorithm>
#include <cmath>

namespace dolmar {

namespace {

// A frame that starts this far past the input's stated end, and this far after the last frame of
// its stream, carries a damaged timestamp.
constexpr double kPastTheEndSeconds = 1.0;
constexpr double kStrayJumpSeconds = 2.0;

} // namespace

SegmentRunner::SegmentRunner(InputFile &input, OutputSession &output, ProgressReporter &progress,
                             const VideoFilterSetup &video_setup, int video_stream,
                             const std::vector<int> &audio_streams, int threads)
    : m_input(input)
    , m_output(output)
    , m_progress(progress)
    , m_video_setup(video_setup)
    , m_filtered(MakeFrame())
{
    const InputOptions &options = input.Options();
    m_trim_start_s = options.start_us / 1e6;
    m_video_setup.trim_start_s = m_trim_start_s;
    if (options.duration_us)
        m_trim_end_s = m_trim_start_s + *options.duration_us / 1e6;

    auto open_decoder = [&](int stream) {
        if (!m_decoders.count(stream))
            m_decoders.emplace(
                stream, std::make_unique<Decoder>(input.Stream(stream), threads, input.Path()));
    };
    if (output.HasVideo() && video_stream >= 0) {
        open_decoder(video_stream);
        m_video.push_back(VideoRoute{video_stream, nullptr, false});
    }
    for (std::size_t i = 0; i < audio_streams.size(); ++i) {
        if (audio_streams[i] < 0)
            continue;
        open_decoder(audio_streams[i]);
        m_audio.push_back(AudioRoute{audio_streams[i], i, nullptr, false});
    }
}

SegmentRunner::~SegmentRunner() = default;

int64_t SegmentRunner::FramesDecoded() const
{
    int64_t frames = 0;
    for (const auto &[stream, decoder] : m_decoders)
        frames += decoder->FramesDecoded();
    return frames;
}

bool SegmentRunner::EverythingDone() const
{
    for (const VideoRoute &route : m_video)
        if (!route.done)
            return false;
    for (const AudioRoute &route : m_audio)
        if (!route.done)
            return false;
    return true;
}

SegmentRunner::End SegmentRunner::Run()
{
    auto blocked_end
        = [&] { return m_output.SizeLimitReached() ? End::SizeLimitReached : End::Stopped; };
    m_input.SeekToStart();
    PacketPtr packet = MakePacket();
    while (!EverythingDone()) {
        if (m_progress.Poll())
            return End::Stopped;
        if (!m_input.Read(packet.get()))
            break;
        auto decoder = m_decoders.find(packet->stream_index);
        if (decoder == m_decoders.end()) {
            av_packet_unref(packet.get());
            continue;
        }
        const int stream = packet->stream_index;
        decoder->second->Decode(packet.get(), [&](AVFrame *frame) {
            if (!m_blocked && !Dispatch(stream, frame))
                m_blocked = true;
        });
        av_packet_unref(packet.get());
        if (m_blocked)
            return blocked_end();
    }
    if (m_progress.StopRequested())
        return End::Stopped;

    // Drain the decoders, then the filters: what they still hold belongs to the output.
    for (auto &[stream, decoder] : m_decoders) {
        const int index = stream;
        decoder->Decode(nullptr, [&](AVFrame *frame) {
            if (!m_blocked && !Dispatch(index, frame))
                m_blocked = true;
        });
        if (m_blocked)
            return blocked_end();
    }
    if (!FinishRoutes())
        return blocked_end();
    return End::InputDone;
}

bool SegmentRunner::Dispatch(int stream, AVFrame *frame)
{
    if (frame->pts == AV_NOPTS_VALUE)
        return true; // a frame with no time cannot be placed; the next one will be
    const AVRational time_base = m_input.Stream(stream)->time_base;
    // From here on, timestamps count from the source's start: the clock of -ss/-t and of
    // subtitle files.
    frame->pts -= m_input.OriginIn(time_base);
    const double start_s = frame->pts * av_q2d(time_base);
    if (Stray(stream, frame, start_s))
        return true;
    // Timestamps of millisecond containers land a hair beside exact frame times.
    constexpr double kTolerance = 1e-4;
    const bool past_end = m_trim_end_s && start_s >= *m_trim_end_s - kTolerance;
    const int64_t end_pts = m_trim_end_s ? std::llround(*m_trim_end_s / av_q2d(time_base)) : 0;

    for (VideoRoute &route : m_video) {
        if (route.stream != stream || route.done)
            continue;
        if (past_end) {
            if (!CloseVideo(route, end_pts))
                return false;
            continue;
        }
        // A picture shows from its timestamp; one before the -ss point is not wanted (the fps
        // filter repeats the next one from the -ss point instead).
        if (start_s < m_trim_start_s - kTolerance)
            continue;
        if (!FeedVideo(route, frame, time_base))
            return false;
    }
    for (AudioRoute &route : m_audio) {
        if (route.stream != stream || route.done)
            continue;
        if (past_end) {
            if (!CloseAudio(route, end_pts))
                return false;
            continue;
        }
        // Sound straddling the -ss point is cut to the sample by atrim; wholly earlier sound
        // would only cost filter time.
        const double end_of_frame_s = start_s
            + (frame->sample_rate > 0 ? double(frame->nb_samples) / frame->sample_rate : 0.0);
        if (end_of_frame_s < m_trim_start_s - kTolerance)
            continue;
        if (!FeedAudio(route, frame, time_base))
            return false;
    }
    return true;
}

bool SegmentRunner::Stray(int stream, const AVFrame *frame, double start_s)
{
    // The filters fill every gap up to a frame's time, with the last picture or with silence; a
    // damaged timestamp hours ahead would make hours of output from a file of seconds. A frame
    // that leaps from its stream's last frame to beyond where the input says it ends is left
    // out: what the file really holds still arrives in order. A stated end that is too early (a
    // file still growing when it was read) stops nothing, since its frames come in steps.
    const auto last = m_stream_end_s.find(stream);
    const double previous_end_s = last != m_stream_end_s.end() ? last->second : m_trim_start_s;
    const std::optional<double> stated_end_s = m_input.StatedDurationSeconds();
    if (stated_end_s && start_s > *stated_end_s + kPastTheEndSeconds
        && start_s - previous_end_s > kStrayJumpSeconds)
        return true;
    double length_s = 0;
    if (frame->sample_rate > 0 && frame->nb_samples > 0)
        length_s = double(frame->nb_samples) / frame->sample_rate;
    else if (frame->pkt_duration > 0)
        length_s = frame->pkt_duration * av_q2d(m_input.Stream(stream)->time_base);
    m_stream_end_s[stream] = std::max(previous_end_s, start_s + length_s);
    return false;
}

bool SegmentRunner::CloseVideo(VideoRoute &route, int64_t pts)
{
    if (!route.filter) {
        route.done = true;
        return true;
    }
    route.filter->Close(pts);
    const bool go_on = DrainVideo(route, false);
    route.done = true;
    return go_on;
}

bool SegmentRunner::CloseAudio(AudioRoute &route, int64_t pts)
{
    if (!route.filter) {
        route.done = true;
        return true;
    }
    route.filter->Close(pts);
    const bool go_on = DrainAudio(route, false);
    route.done = true;
    return go_on;
}

bool SegmentRunner::FeedVideo(VideoRoute &route, AVFrame *frame, AVRational time_base)
{
    if (route.filter && !route.filter->Accepts(frame)) {
        // The source changed its picture size or format mid-stream: finish the old chain and
        // carry on with one built for the new pictures.
        route.filter->Push(nullptr);
        if (!DrainVideo(route, true))
            return false;
        route.filter.reset();
        VideoFilterSetup setup = m_video_setup;
        setup.continuing = true;
        route.filter = std::make_unique<VideoFilter>(setup, frame, time_base);
    }
    if (!route.filter)
        route.filter = std::make_unique<VideoFilter>(m_video_setup, frame, time_base);
    route.filter->Push(frame);
    return DrainVideo(route, false);
}

bool SegmentRunner::FeedAudio(AudioRoute &route, AVFrame *frame, AVRational time_base)
{
    AudioFilterSetup setup;
    setup.target = &m_output.Targets().audio[route.output];
    setup.threads = m_video_setup.threads;
    setup.trim_start_s = m_trim_start_s;
    setup.trim_end_s = m_trim_end_s;
    if (route.filter && !route.filter->Accepts(frame)) {
        route.filter->Push(nullptr);
        if (!DrainAudio(route, true))
            return false;
        route.filter.reset();
        setup.continuing = true;
        route.filter = std::make_unique<AudioFilter>(setup, frame, time_base);
    }
    if (!route.filter)
        route.filter = std::make_unique<AudioFilter>(setup, frame, time_base);
    route.filter->Push(frame);
    return DrainAudio(route, false);
}

bool SegmentRunner::DrainVideo(VideoRoute &route, bool closing)
{
    const AVRational time_base = route.filter->OutputTimeBase();
    for (;;) {
        const int ret = route.filter->Pull(m_filtered.get());
        if (ret == AVERROR(EAGAIN))
            return true;
        if (ret == AVERROR_EOF) {
            // The -t point was passed; a chain closed for a rebuild is not the end.
            if (!closing)
                route.done = true;
            return true;
        }
        const bool go_on = m_output.SendVideo(m_filtered.get(), time_base);
        av_frame_unref(m_filtered.get());
        if (!go_on)
            return false;
    }
}

bool SegmentRunner::DrainAudio(AudioRoute &route, bool closing)
{
    for (;;) {
        const int ret = route.filter->Pull(m_filtered.get());
        if (ret == AVERROR(EAGAIN))
            return true;
        if (ret == AVERROR_EOF) {
            if (!closing)
                route.done = true;
            return true;
        }
        const bool go_on = m_output.SendAudio(route.output, m_filtered.get());
        av_frame_unref(m_filtered.get());
        if (!go_on)
            return false;
    }
}

bool SegmentRunner::FinishRoutes()
{
    for (VideoRoute &route : m_video) {
        if (!route.filter || route.done)
            continue;
        route.filter->Push(nullptr);
        if (!DrainVideo(route, false))
            return false;
    }
    for (AudioRoute &route : m_audio) {
        if (!route.filter || route.done)
            continue;
        route.filter->Push(nullptr);
        if (!DrainAudio(route, false))
            return false;
    }
    return true;
}

} // namespace dolmar
