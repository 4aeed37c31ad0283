// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioFilter.h"
#include "AvOwners.h"
#include "ConversionPlan.h"
#include "Decoder.h"
#include "VideoFilter.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace dolmar {

class InputFile;
class OutputSession;
class ProgressReporter;

/// Converts one input (a whole single-file run, or one segment of a merged run) into the
/// output session: reads packets, decodes the streams the output uses, filters each into its
/// output stream's format and hands the frames on.
class SegmentRunner
{
public:
    enum class End {
        InputDone, ///< every chosen stream reached its end (or the -t point)
        Stopped, ///< the caller asked to stop
        SizeLimitReached, ///< the -fs size is reached
    };

    /// video_stream / audio_streams: the source stream for the output's video and for each of
    /// its audio streams, -1 where this input has none. threads 0: every core.
    SegmentRunner(InputFile &input, OutputSession &output, ProgressReporter &progress,
                  const VideoFilterSetup &video_setup, int video_stream,
                  const std::vector<int> &audio_streams, int threads);
    ~SegmentRunner();

    End Run();

    int64_t FramesDecoded() const;

private:
    struct VideoRoute
    {
        int stream = -1;
        std::unique_ptr<VideoFilter> filter;
        bool done = false;
    };
    struct AudioRoute
    {
        int stream = -1;
        std::size_t output = 0;
        std::unique_ptr<AudioFilter> filter;
        bool done = false;
    };

    bool Dispatch(int stream, AVFrame *frame);
    bool Stray(int stream, const AVFrame *frame, double start_s);
    bool CloseVideo(VideoRoute &route, int64_t pts);
    bool CloseAudio(AudioRoute &route, int64_t pts);
    bool FeedVideo(VideoRoute &route, AVFrame *frame, AVRational time_base);
    bool FeedAudio(AudioRoute &route, AVFrame *frame, AVRational time_base);
    bool DrainVideo(VideoRoute &route, bool closing);
    bool DrainAudio(AudioRoute &route, bool closing);
    bool FinishRoutes();
    bool EverythingDone() const;

    InputFile &m_input;
    OutputSession &m_output;
    ProgressReporter &m_progress;
    VideoFilterSetup m_video_setup;
    std::vector<VideoRoute> m_video; ///< none or one
    std::vector<AudioRoute> m_audio;
    std::map<int, std::unique_ptr<Decoder>> m_decoders;
    FramePtr m_filtered;
    double m_trim_start_s = 0;
    std::optional<double> m_trim_end_s;
    /// Per source stream: where its last frame ended (source seconds).
    std::map<int, double> m_stream_end_s;
    bool m_blocked = false; ///< the output said stop (size limit or caller)
};

} // namespace dolmar
