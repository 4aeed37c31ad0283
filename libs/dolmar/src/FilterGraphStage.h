// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioFilter.h"
#include "Scheduler.h"
#include "StageItems.h"
#include "VideoFilter.h"

#include <memory>

namespace dolmar {

/// The filters of one output stream for one input, on a thread of its own: VideoFilter for the
/// picture, AudioFilter for each sound track. The graph is built from the first frame, and built
/// anew when the source changes its picture size or sound format mid-stream; its frames go to
/// the session in the output stream's format.
class FilterGraphStage
{
public:
    /// The picture.
    FilterGraphStage(Scheduler &scheduler, SessionQueue &session, const VideoFilterSetup &setup);
    /// Sound for the output's audio stream output.
    FilterGraphStage(Scheduler &scheduler, SessionQueue &session, const AudioFilterSetup &setup,
                     int output);
    ~FilterGraphStage();
    FilterGraphStage(const FilterGraphStage &) = delete;
    FilterGraphStage &operator=(const FilterGraphStage &) = delete;

    RouteQueue &Input() { return m_input; }
    void Start();
    void Join();

private:
    class Graph;
    template<typename Filter, typename Setup> class GraphOf;

    void Run();
    bool Feed(FramePtr frame, AVRational time_base);
    /// Ends the input at pts, the -t point: the same for picture and sound.
    bool Close(int64_t pts);
    bool Drain(bool closing);
    std::unique_ptr<Graph> Build(const AVFrame *first, AVRational time_base, bool continuing);

    Scheduler &m_scheduler;
    SessionQueue &m_session;
    RouteQueue m_input;
    VideoFilterSetup m_video_setup;
    AudioFilterSetup m_audio_setup;
    int m_audio_output; ///< -1: the picture
    std::unique_ptr<Graph> m_graph;
    bool m_done = false;
    StageThread m_thread; ///< last: joined before the rest goes
};

} // namespace dolmar
