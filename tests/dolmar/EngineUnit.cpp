// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineUnit.h"

#include "EngineError.h"
#include "LogCapture.h"
#include "OptionParser.h"
#include "OutputSession.h"
#include "ProgressReporter.h"
#include "Scheduler.h"
#include "SubtitleFile.h"

namespace dolmar_unit {

using namespace dolmar;

SourceFacts CameraSource(int width, int height)
{
    SourceFacts facts;
    facts.path = "/media/camera.mts";
    SourceStream video;
    video.type = AVMEDIA_TYPE_VIDEO;
    video.width = width;
    video.height = height;
    video.pixel_format = AV_PIX_FMT_YUV420P;
    video.guessed_frame_rate = {25, 1};
    video.average_frame_rate = {25, 1};
    video.sample_aspect = {1, 1};
    SourceStream stereo;
    stereo.type = AVMEDIA_TYPE_AUDIO;
    stereo.sample_rate = 48000;
    stereo.channels = 2;
    stereo.sample_format = AV_SAMPLE_FMT_FLTP;
    SourceStream mono;
    mono.type = AVMEDIA_TYPE_AUDIO;
    mono.sample_rate = 44100;
    mono.channels = 1;
    mono.sample_format = AV_SAMPLE_FMT_S16;
    SourceStream subtitles;
    subtitles.type = AVMEDIA_TYPE_SUBTITLE;
    facts.streams = {video, stereo, mono, subtitles};
    return facts;
}

ConversionPlan Parse(const std::vector<std::string> &args)
{
    std::vector<std::string> argv{"ffmain"};
    argv.insert(argv.end(), args.begin(), args.end());
    return OptionParser::Parse(argv);
}

void DryRun(const std::vector<std::string> &args, const SourceFacts &source)
{
    // As ffmain does: FFmpeg's own complaint completes the engine's message.
    LogCapture::Install();
    const ConversionPlan plan = Parse(args);
    const OutputTargets targets = OutputTargets::Decide(plan, source);
    if (targets.video && !plan.output.subtitle_path.empty())
        SubtitleFile subtitles(plan.output.subtitle_path, targets.video->frame_rate);
    ProgressReporter progress(nullptr);
    Scheduler scheduler(progress);
    // Destroyed unfinished: the muxer removes the file it created.
    OutputSession session(plan, targets, progress, scheduler);
}

std::string RefusalOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const EngineError &error) {
        return error.what();
    }
    return {};
}

} // namespace dolmar_unit
