// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioFilter.h"
#include "ConversionPlan.h"
#include "DecoderStage.h"
#include "FilterGraphStage.h"
#include "Scheduler.h"
#include "StageItems.h"
#include "VideoFilter.h"

#include <map>
#include <memory>
#include <vector>

namespace dolmar {

class InputFile;
class OutputSession;

/// Converts one input (a whole single-file run, or one segment of a merged run) into the
/// output session: the stages of one input (Scheduler.h) are built here, run, and joined. The
/// demuxer runs on the calling thread (the conductor), every other stage on its own.
class SegmentRunner
{
public:
    enum class End {
        InputDone, ///< every chosen stream reached its end (or the -t point)
        Stopped, ///< the caller asked to stop
        SizeLimitReached, ///< the -fs size is reached
        Failed, ///< a stage failed; the scheduler holds why
    };

    /// video_stream / audio_streams: the source stream for the output's video and for each of
    /// its audio streams, -1 where this input has none. threads 0: every core.
    SegmentRunner(Scheduler &scheduler, InputFile &input, OutputSession &output,
                  const VideoFilterSetup &video_setup, int video_stream,
                  const std::vector<int> &audio_streams, int threads);
    /// Ends and joins the stages of a run that did not get through Run.
    ~SegmentRunner();
    SegmentRunner(const SegmentRunner &) = delete;
    SegmentRunner &operator=(const SegmentRunner &) = delete;

    End Run();

    int64_t FramesDecoded() const;

private:
    DecoderStage &DecoderFor(int stream, int threads);
    void JoinAll();

    Scheduler &m_scheduler;
    InputFile &m_input;
    OutputSession &m_output;
    std::unique_ptr<SessionQueue> m_session_queue;
    std::vector<std::unique_ptr<FilterGraphStage>> m_graphs;
    std::map<int, std::unique_ptr<DecoderStage>> m_decoders;
    StageThread m_session;
    bool m_joined = true;
};

} // namespace dolmar
