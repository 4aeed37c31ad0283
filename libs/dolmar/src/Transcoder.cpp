// SPDX-License-Identifier: GPL-3.0-or-later
#include "Transcoder.h"

#include "BitmapSubtitles.h"
#include "EngineError.h"
#include "InputFile.h"
#include "OutputSession.h"
#include "OutputTargets.h"
#include "ProgressReporter.h"
#include "Scheduler.h"
#include "SegmentRunner.h"
#include "SubtitleFile.h"
#include "SubtitleStyle.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace dolmar {

namespace {

void RefuseOverwritingAnInput(const ConversionPlan &plan)
{
    std::error_code error;
    for (const InputOptions &input : plan.inputs) {
        if (std::filesystem::equivalent(input.path, plan.output.path, error))
            ThrowBadArgs("The output file " + Quoted(plan.output.path)
                         + " is one of the input files; converting would destroy it.");
    }
}

/// The source streams this input gives to the output: in a single-file run the ones decided
/// from the -map list, in a merged run each segment's first video and first audio.
void ChooseStreams(const ConversionPlan &plan, const OutputTargets &targets, const InputFile &input,
                   int &video, std::vector<int> &audio)
{
    audio.clear();
    if (!plan.merged) {
        video = targets.video ? targets.video->source_stream : -1;
        for (const AudioTarget &target : targets.audio)
            audio.push_back(target.source_stream);
        return;
    }
    video = targets.video ? input.FirstVideoStream() : -1;
    if (targets.video && video < 0)
        ThrowFailed("The file " + Quoted(input.Path())
                    + " has no video, so it cannot be joined to the others.");
    for (std::size_t i = 0; i < targets.audio.size(); ++i)
        audio.push_back(input.FirstAudioStream()); // -1: this segment's part is silence
}

} // namespace

Transcoder::Transcoder(const ConversionPlan &plan, ProgressReporter &progress, StageFault fault)
    : m_plan(plan)
    , m_progress(progress)
    , m_fault(std::move(fault))
{ }

RunOutcome Transcoder::Run()
{
    Scheduler scheduler(m_progress, m_fault);
    scheduler.Run([&] { Conduct(scheduler); });
    return m_progress.StopRequested() && !scheduler.SizeLimited() ? RunOutcome::Stopped
                                                                  : RunOutcome::Finished;
}

void Transcoder::Conduct(Scheduler &scheduler)
{
    RefuseOverwritingAnInput(m_plan);
    auto first = std::make_unique<InputFile>(m_plan.inputs.front(), m_progress);
    // A merged run whose first clip has no sound shapes its sound after the first clip that
    // has; that one is kept open for its turn.
    std::unique_ptr<InputFile> sound;
    std::size_t sound_index = 0;
    if (m_plan.merged && !m_plan.output.no_audio && first->FirstAudioStream() < 0) {
        for (std::size_t i = 1; i < m_plan.inputs.size() && !sound; ++i) {
            auto next = std::make_unique<InputFile>(m_plan.inputs[i], m_progress);
            if (next->FirstAudioStream() >= 0) {
                sound = std::move(next);
                sound_index = i;
            }
        }
    }
    const OutputTargets targets
        = OutputTargets::Decide(m_plan, first->Facts(), sound ? &sound->Facts() : nullptr);

    // Subtitles are prepared before the output exists, so a missing or unreadable subtitle
    // file fails the run without leaving a file behind.
    std::unique_ptr<SubtitleFile> subtitles;
    std::unique_ptr<BitmapSubtitles> bitmap;
    VideoFilterSetup video_setup;
    video_setup.threads = m_plan.inputs.front().decoder_threads;
    if (targets.video) {
        video_setup.target = &*targets.video;
        if (!m_plan.output.subtitle_path.empty()) {
            const SourceStream &source
                = first->Facts().streams[static_cast<std::size_t>(targets.video->source_stream)];
            subtitles = std::make_unique<SubtitleFile>(m_plan.output.subtitle_path,
                                                       source.guessed_frame_rate);
            if (subtitles->FileKind() == SubtitleFile::Kind::Bitmap) {
                bitmap = std::make_unique<BitmapSubtitles>(subtitles->Path());
                video_setup.bitmap_subtitles = bitmap.get();
            } else {
                video_setup.subtitle_path = subtitles->Path();
                video_setup.subtitle_charset = subtitles->Charset();
                video_setup.subtitle_style = SubtitleStyle::ForceStyle();
            }
        }
    }

    OutputSession output(m_plan, targets, m_progress, scheduler);
    int64_t decoded_frames = 0;
    for (std::size_t i = 0; i < m_plan.inputs.size(); ++i) {
        std::unique_ptr<InputFile> input;
        if (i == 0) {
            input = std::move(first);
        } else if (sound && i == sound_index) {
            input = std::move(sound);
        } else {
            try {
                input = std::make_unique<InputFile>(m_plan.inputs[i], m_progress);
            } catch (const EngineError &) {
                // A stop asked for while the next segment opened is a stop, not a failure.
                if (!m_progress.StopRequested())
                    throw;
                scheduler.Stop();
                break;
            }
        }
        int video_stream = -1;
        std::vector<int> audio_streams;
        ChooseStreams(m_plan, targets, *input, video_stream, audio_streams);
        VideoFilterSetup setup = video_setup;
        setup.threads = input->Options().decoder_threads;
        if (video_stream >= 0) {
            const SourceStream &source
                = input->Facts().streams[static_cast<std::size_t>(video_stream)];
            setup.upright_turn = source.upright_turn;
            // A stream that does not state its scanning is judged picture by picture as it
            // converts (VideoFilter's comb detection), so nothing is looked at beforehand.
            setup.field_order = source.field_order;
        }
        SegmentRunner segment(scheduler, *input, output, setup, video_stream, audio_streams,
                              input->Options().decoder_threads);
        output.StartSegment(!audio_streams.empty() && audio_streams.front() < 0);
        const int64_t pictures_before = output.VideoFramesSent();
        const SegmentRunner::End end = segment.Run();
        decoded_frames += segment.FramesDecoded();
        if (end == SegmentRunner::End::Failed)
            return; // the scheduler rethrows the stage's failure
        if (end != SegmentRunner::End::InputDone)
            break;
        // A joined file that gives no picture would vanish from the result without a word.
        if (m_plan.merged && output.HasVideo() && output.VideoFramesSent() == pictures_before)
            ThrowFailed("No picture could be decoded from " + Quoted(input->Path())
                        + "; the file seems damaged.");
        if (!output.EndSegment(i + 1 < m_plan.inputs.size()))
            break;
        if (segment.FramesDecoded() == 0 && !input->ReadError().empty())
            ThrowFailed("Nothing could be read from " + Quoted(input->Path()) + ": "
                        + input->ReadError() + ".");
    }

    if (!scheduler.Cut()) {
        if (output.HasVideo() && output.VideoFramesSent() == 0)
            ThrowFailed("No picture could be decoded from " + Quoted(m_plan.inputs.front().path)
                        + (decoded_frames ? " in the time chosen with -ss/-t."
                                          : "; the file seems damaged."));
        if (!output.HasVideo() && output.AudioSamplesSent() == 0)
            ThrowFailed("No sound could be decoded from " + Quoted(m_plan.inputs.front().path)
                        + (decoded_frames ? " in the time chosen with -ss/-t."
                                          : "; the file seems damaged."));
    }
    // After a stop the encoders still give up what they hold, so the file ends where the
    // conversion was; at the size limit nothing more may be written.
    output.Finish();
}

} // namespace dolmar
