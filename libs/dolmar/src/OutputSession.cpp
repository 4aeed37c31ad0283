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
    const OutputSpec &output = plan.output;
    m_muxer = std::make_unique<Muxer>(output, targets.format);
    const bool global_header = m_muxer->wantsGlobalHeaders();
    // Every encoder is opened before the file is created: a setting an encoder refuses must not
    // leave an empty file behind.
    if (m_targets.video) {
        const VideoTarget &video = *m_targets.video;
        m_video = std::make_unique<Encoder>(
            video.encoder,
            [&](AVCodecContext *ctx) { EncoderSettings::applyVideo(ctx, video, output); },
            global_header, output.path);
    }
    for (const AudioTarget &target : m_targets.audio) {
        AudioOut audio;
        audio.encoder = std::make_unique<Encoder>(
            target.encoder,
            [&](AVCodecContext *ctx) { EncoderSettings::applyAudio(ctx, target, output); },
            global_header, output.path);
        audio.queue = std::make_unique<AudioFrameQueue>(audio.encoder->context());
        m_audio.push_back(std::move(audio));
    }
    if (m_video)
        m_video_stream = m_muxer->addStream(m_video->context());
    for (AudioOut &audio : m_audio)
        audio.stream_index = m_muxer->addStream(audio.encoder->context());
    m_muxer->start();
}

bool OutputSession::writePacket(AVPacket *packet, int stream_index, AVRational time_base)
{
    if (m_progress.poll() && !m_flushing)
        return false;
    if (!m_muxer->write(packet, stream_index, time_base)) {
        m_size_limit_reached = true;
        return false;
    }
    return true;
}

bool OutputSession::encodeVideo(const AVFrame *frame)
{
    const AVRational time_base = m_video->context()->time_base;
    return m_video->encode(
        frame, [&](AVPacket *packet) { return writePacket(packet, m_video_stream, time_base); });
}

bool OutputSession::sendVideo(AVFrame *frame, AVRational time_base)
{
    const AVRational encoder_tb = m_video->context()->time_base;
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
    m_progress.setPosition(positionSeconds());
    return encodeVideo(frame);
}

double OutputSession::videoEndSeconds() const
{
    return m_video ? m_video_next_pts * av_q2d(m_video->context()->time_base) : 0.0;
}

bool OutputSession::drainQueue(AudioOut &audio, bool final)
{
    const AVRational time_base = audio.encoder->context()->time_base;
    const int rate = audio.queue->sampleRate();
    int64_t up_to = INT64_MAX;
    if (m_video) {
        // Hold back sound beyond the picture, but never so much that a source whose picture
        // stopped early piles its whole sound up in memory.
        up_to = std::max(static_cast<int64_t>(std::llround(videoEndSeconds() * rate)),
                         audio.queue->endSamples() - int64_t{kMaxHeldAudioSeconds} * rate);
    }
    while (audio.queue->pop(m_audio_frame.get(), final, up_to)) {
        const bool go_on = audio.encoder->encode(m_audio_frame.get(), [&](AVPacket *packet) {
            return writePacket(packet, audio.stream_index, time_base);
        });
        av_frame_unref(m_audio_frame.get());
        if (!go_on)
            return false;
    }
    return true;
}

bool OutputSession::sendAudio(std::size_t index, const AVFrame *frame)
{
    AudioOut &audio = m_audio[index];
    audio.queue->push(frame);
    m_progress.setPosition(positionSeconds());
    return drainQueue(audio, false);
}

void OutputSession::startSegment()
{
    m_video_offset = m_video_next_pts;
}

bool OutputSession::endSegment(bool repeat_picture)
{
    const double video_end_s = videoEndSeconds();
    double end_s = video_end_s;
    for (AudioOut &audio : m_audio) {
        const int rate = audio.queue->sampleRate();
        const double audio_end_s = audio.queue->endSamples() / double(rate);
        if (m_video && audio_end_s > video_end_s && audio_end_s - video_end_s <= kPaddingSeconds)
            audio.queue->truncate(std::llround(video_end_s * rate));
        else
            end_s = std::max(end_s, audio_end_s);
    }
    for (AudioOut &audio : m_audio) {
        const int rate = audio.queue->sampleRate();
        const int64_t missing
            = static_cast<int64_t>(std::llround(end_s * rate)) - audio.queue->endSamples();
        if (missing > 0)
            audio.queue->pushSilence(missing);
    }
    if (repeat_picture && m_video && m_last_picture) {
        const auto end_pts
            = static_cast<int64_t>(std::llround(end_s / av_q2d(m_video->context()->time_base)));
        FramePtr copy = MakeFrame();
        while (m_video_next_pts < end_pts) {
            CheckAv(av_frame_ref(copy.get(), m_last_picture.get()), "repeat a picture", "");
            copy->pts = m_video_next_pts++;
            const bool go_on = encodeVideo(copy.get());
            av_frame_unref(copy.get());
            if (!go_on)
                return false;
        }
    }
    for (AudioOut &audio : m_audio)
        if (!drainQueue(audio, false))
            return false;
    return true;
}

bool OutputSession::flush()
{
    m_flushing = true;
    for (AudioOut &audio : m_audio) {
        if (!drainQueue(audio, true))
            return false;
        const AVRational time_base = audio.encoder->context()->time_base;
        if (!audio.encoder->encode(nullptr, [&](AVPacket *packet) {
                return writePacket(packet, audio.stream_index, time_base);
            }))
            return false;
    }
    if (m_video && !encodeVideo(nullptr))
        return false;
    return true;
}

void OutputSession::finish(bool complete)
{
    m_muxer->finish(complete);
}

double OutputSession::positionSeconds() const
{
    double position = videoEndSeconds();
    for (const AudioOut &audio : m_audio)
        position
            = std::max(position, audio.queue->endSamples() / double(audio.queue->sampleRate()));
    return position;
}

int64_t OutputSession::audioSamplesSent() const
{
    int64_t samples = 0;
    for (const AudioOut &audio : m_audio)
        samples = std::max(samples, audio.queue->endSamples());
    return samples;
}

} // namespace dolmar
