// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputSession.h"

#include "EncoderSettings.h"
#include "EngineError.h"
#include "ProgressReporter.h"
#include "Scheduler.h"

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
                             ProgressReporter &progress, Scheduler &scheduler)
    : m_plan(plan)
    , m_targets(targets)
    , m_progress(progress)
    , m_scheduler(scheduler)
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
        if (output.video.pass == 1)
            m_video->WriteStatsTo(EncoderSettings::PassLogPath(output.video));
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

    const int encoders = (m_video ? 1 : 0) + static_cast<int>(m_audio.size());
    m_muxer_stage = std::make_unique<MuxerStage>(scheduler, *m_muxer, encoders);
    if (m_video)
        m_video_stage = std::make_unique<EncoderStage>(scheduler, *m_video, *m_muxer_stage,
                                                       m_video_stream, kPictureLimits);
    for (AudioOut &audio : m_audio)
        audio.stage = std::make_unique<EncoderStage>(scheduler, *audio.encoder, *m_muxer_stage,
                                                     audio.stream_index, kSoundLimits);
    try {
        m_muxer_stage->Start();
        if (m_video_stage)
            m_video_stage->Start();
        for (AudioOut &audio : m_audio)
            audio.stage->Start();
    } catch (...) {
        // No destructor runs for a constructor that throws: the stages that did start must end
        // here, before the members they use go.
        m_scheduler.AbortAll();
        JoinStages();
        throw;
    }
}

OutputSession::~OutputSession()
{
    // A run that did not get through Finish still has stages running; they use the encoders and
    // the muxer, which go next.
    if (!m_finished)
        m_scheduler.AbortAll();
    JoinStages();
}

void OutputSession::JoinStages()
{
    if (m_video_stage)
        m_video_stage->Join();
    for (AudioOut &audio : m_audio)
        if (audio.stage)
            audio.stage->Join();
    if (m_muxer_stage)
        m_muxer_stage->Join();
}

void OutputSession::Feed(SessionQueue &queue)
{
    while (std::optional<SessionItem> item = queue.Receive()) {
        m_scheduler.Checkpoint(StageKind::Session);
        const bool go_on = item->audio_output < 0
            ? SendVideo(item->frame.get(), item->time_base)
            : SendAudio(static_cast<std::size_t>(item->audio_output), item->frame.get());
        if (!go_on) {
            queue.FinishReceiving();
            return;
        }
    }
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
    if (!m_video_stage->Send(frame))
        return false;
    if (m_silent_segment)
        FillSilenceToPicture();
    // Sound held back for the picture may go now.
    for (AudioOut &audio : m_audio)
        if (!DrainQueue(audio, false))
            return false;
    return true;
}

double OutputSession::VideoEndSeconds() const
{
    return m_video ? m_video_next_pts * av_q2d(m_video->Context()->time_base) : 0.0;
}

bool OutputSession::DrainQueue(AudioOut &audio, bool final)
{
    const int rate = audio.queue->SampleRate();
    int64_t up_to = INT64_MAX;
    if (m_video) {
        // Hold back sound beyond the picture, but never so much that a source whose picture
        // stopped early piles its whole sound up in memory.
        up_to = std::max(static_cast<int64_t>(std::llround(VideoEndSeconds() * rate)),
                         audio.queue->EndSamples() - int64_t{kMaxHeldAudioSeconds} * rate);
    }
    while (audio.queue->Pop(m_audio_frame.get(), final, up_to)) {
        const bool go_on = audio.stage->Send(m_audio_frame.get());
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
    const bool go_on = DrainQueue(audio, false);
    m_progress.SetPosition(PositionSeconds());
    return go_on;
}

void OutputSession::FillSilenceToPicture()
{
    // Made as the picture goes rather than all at the segment's end, so an hour without sound
    // never waits in memory and the muxer gets both streams in step.
    for (AudioOut &audio : m_audio) {
        const int64_t missing = std::llround(VideoEndSeconds() * audio.queue->SampleRate())
            - audio.queue->EndSamples();
        if (missing > 0)
            audio.queue->PushSilence(missing);
    }
}

void OutputSession::StartSegment(bool silent)
{
    m_video_offset = m_video_next_pts;
    m_silent_segment = silent;
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
            const bool go_on = m_video_stage->Send(copy.get());
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

void OutputSession::Finish()
{
    if (!m_scheduler.Cut())
        for (AudioOut &audio : m_audio)
            if (!DrainQueue(audio, true))
                break;
    if (m_video_stage)
        m_video_stage->Finish();
    for (AudioOut &audio : m_audio)
        audio.stage->Finish();
    JoinStages();
    m_finished = true;
    if (m_scheduler.Failed())
        return;
    // After a stop what reached the muxer belongs in the file; at the size limit nothing more
    // may be written.
    m_muxer->Finish(!m_scheduler.SizeLimited());
}

double OutputSession::PositionSeconds() const
{
    // What has gone to the encoders: sound waiting in its queue for the picture is not there yet
    // (the stages decode sound far faster than pictures, so it is often seconds ahead).
    double position = VideoEndSeconds();
    for (const AudioOut &audio : m_audio)
        position
            = std::max(position, audio.queue->SamplesOut() / double(audio.queue->SampleRate()));
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
