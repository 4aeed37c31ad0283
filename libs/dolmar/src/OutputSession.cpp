// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputSession.h"

#include "EncoderSettings.h"
#include "EngineError.h"
#include "ProgressReporter.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>

namespace dolmar {

namespace {

// Sound running past the picture by up to this much at a segment's end is codec padding (an AAC
// or MP3 frame decoded in full) and is cut; more is content, and the picture waits for it.
constexpr double kPaddingSeconds = 0.25;
// How far the sound may run ahead of a picture that has stopped before it is encoded anyway.
constexpr int kMaxHeldAudioSeconds = 10;

} // namespace

OutputSession::OutputSession(const ConversionPlan &plan, const OutputTargets &targets,
                             ProgressReporter &progress)
    : m_plan(plan)
    , m_targets(targets)
    , m_progress(progress)
    , m_audio_frame(MakeFrame())
{
    const OutputOptions &output = plan.output;
    m_muxer = std::make_unique<Muxer>(output, targets.format);
    const bool global_header = m_muxer->WantsGlobalHeaders();
    // Every encoder is opened before the file is created: a setting an encoder refuses must not
    // leave an empty file behind.
    if (m_targets.video) {
        const VideoTarget &video = *m_targets.video;
        m_video = std::make_unique<Encoder>(
            video.encoder,
            [&](AVCodecContext *ctx) { EncoderSettings::ApplyVideo(ctx, video, output); },
            global_header, output.path);
    }
    for (const AudioTarget &target : m_targets.audio) {
        AudioOut audio;
        audio.encoder = std::make_unique<Encoder>(
            target.encoder,
            [&](AVCodecContext *ctx) { EncoderSettings::ApplyAudio(ctx, target, output); },
            global_header, output.path);
        audio.queue = std::make_unique<AudioFrameQueue>(audio.encoder->Context());
        m_audio.push_back(std::move(audio));
    }
    if (m_video)
        m_video_stream = m_muxer->AddStream(m_video->Context());
    for (AudioOut &audio : m_audio)
        audio.stream_index = m_muxer->AddStream(audio.encoder->Context());
    // A joined run is described by its first file, as its first picture and sound begin it.
    const int tagged_audio = m_targets.audio.empty() ? -1 : m_targets.audio.front().source_stream;
    m_muxer->Describe(
        SourceTags::ReadFile(plan.inputs.front(), tagged_audio, progress.InterruptCallback()));
    m_muxer->Start();
}

bool OutputSession::WritePacket(AVPacket *packet, int stream_index, AVRational time_base)
{
    if (m_progress.Poll() && !m_flushing)
        return false;
    if (!m_muxer->Write(packet, stream_index, time_base)) {
        m_size_limit_reached = true;
        return false;
    }
    return true;
}

bool OutputSession::EncodeVideo(const AVFrame *frame)
{
    const AVRational time_base = m_video->Context()->time_base;
    return m_video->Encode(
        frame, [&](AVPacket *packet) { return WritePacket(packet, m_video_stream, time_base); });
}

bool OutputSession::SendVideo(AVFrame *frame, AVRational time_base)
{
    const AVRational encoder_tb = m_video->Context()->time_base;
    const int64_t pts = m_video_offset + av_rescale_q(frame->pts, time_base, encoder_tb);
    // A rebuilt filter chain may hand back a frame the previous one already covered.
    if (pts < m_video_next_pts)
        return true;
    frame->pts = pts;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    m_video_next_pts = pts + 1;
    if (!m_last_picture)
        m_last_picture = MakeFrame();
    av_frame_unref(m_last_picture.get());
    CheckAv(av_frame_ref(m_last_picture.get(), frame), "keep a picture", "");
    m_progress.SetPosition(PositionSeconds());
    return EncodeVideo(frame);
}

double OutputSession::VideoEndSeconds() const
{
    return m_video ? m_video_next_pts * av_q2d(m_video->Context()->time_base) : 0.0;
}

bool OutputSession::DrainQueue(AudioOut &audio, bool final)
{
    const AVRational time_base = audio.encoder->Context()->time_base;
    const int rate = audio.queue->SampleRate();
    int64_t up_to = INT64_MAX;
    if (m_video) {
        // Hold back sound beyond the picture, but never so much that a source whose picture
        // stopped early piles its whole sound up in memory.
        up_to = std::max(static_cast<int64_t>(std::llround(VideoEndSeconds() * rate)),
                         audio.queue->EndSamples() - int64_t{kMaxHeldAudioSeconds} * rate);
    }
    while (audio.queue->Pop(m_audio_frame.get(), final, up_to)) {
        const bool go_on = audio.encoder->Encode(m_audio_frame.get(), [&](AVPacket *packet) {
            return WritePacket(packet, audio.stream_index, time_base);
        });
        av_frame_unref(m_audio_frame.get());
        if (!go_on)
            return false;
    }
    return true;
}

bool OutputSession::SendAudio(std::size_t index, const AVFrame *frame)
{
    AudioOut &audio = m_audio[index];
    audio.queue->Push(frame);
    m_progress.SetPosition(PositionSeconds());
    return DrainQueue(audio, false);
}

void OutputSession::StartSegment()
{
    m_video_offset = m_video_next_pts;
}

bool OutputSession::EndSegment(bool repeat_picture)
{
    const double video_end_s = VideoEndSeconds();
    double end_s = video_end_s;
    for (AudioOut &audio : m_audio) {
        const int rate = audio.queue->SampleRate();
        const double audio_end_s = audio.queue->EndSamples() / double(rate);
        if (m_video && audio_end_s > video_end_s && audio_end_s - video_end_s <= kPaddingSeconds)
            audio.queue->Truncate(std::llround(video_end_s * rate));
        else
            end_s = std::max(end_s, audio_end_s);
    }
    for (AudioOut &audio : m_audio) {
        const int rate = audio.queue->SampleRate();
        const int64_t missing
            = static_cast<int64_t>(std::llround(end_s * rate)) - audio.queue->EndSamples();
        if (missing > 0)
            audio.queue->PushSilence(missing);
    }
    if (repeat_picture && m_video && m_last_picture) {
        const auto end_pts
            = static_cast<int64_t>(std::llround(end_s / av_q2d(m_video->Context()->time_base)));
        FramePtr copy = MakeFrame();
        while (m_video_next_pts < end_pts) {
            CheckAv(av_frame_ref(copy.get(), m_last_picture.get()), "repeat a picture", "");
            copy->pts = m_video_next_pts++;
            const bool go_on = EncodeVideo(copy.get());
            av_frame_unref(copy.get());
            if (!go_on)
                return false;
        }
    }
    for (AudioOut &audio : m_audio)
        if (!DrainQueue(audio, false))
            return false;
    return true;
}

bool OutputSession::Flush()
{
    m_flushing = true;
    for (AudioOut &audio : m_audio) {
        if (!DrainQueue(audio, true))
            return false;
        const AVRational time_base = audio.encoder->Context()->time_base;
        if (!audio.encoder->Encode(nullptr, [&](AVPacket *packet) {
                return WritePacket(packet, audio.stream_index, time_base);
            }))
            return false;
    }
    if (m_video && !EncodeVideo(nullptr))
        return false;
    return true;
}

void OutputSession::Finish(bool complete)
{
    m_muxer->Finish(complete);
}

double OutputSession::PositionSeconds() const
{
    double position = VideoEndSeconds();
    for (const AudioOut &audio : m_audio)
        position
            = std::max(position, audio.queue->EndSamples() / double(audio.queue->SampleRate()));
    return position;
}

int64_t OutputSession::AudioSamplesSent() const
{
    int64_t samples = 0;
    for (const AudioOut &audio : m_audio)
        samples = std::max(samples, audio.queue->EndSamples());
    return samples;
}

} // namespace dolmar
