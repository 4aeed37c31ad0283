// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilterGraphStage.h"

namespace dolmar {

/// What the stage needs of either filter: the two share their shape but not a base.
class FilterGraphStage::Graph
{
public:
    virtual ~Graph() = default;
    virtual bool Accepts(const AVFrame *frame) const = 0;
    virtual void Push(AVFrame *frame) = 0;
    virtual void Close(int64_t pts) = 0;
    virtual int Pull(AVFrame *frame) = 0;
    virtual AVRational OutputTimeBase() const = 0;
};

template<typename Filter, typename Setup> class FilterGraphStage::GraphOf final : public Graph
{
public:
    GraphOf(const Setup &setup, const AVFrame *first, AVRational time_base)
        : m_filter(setup, first, time_base)
    { }
    bool Accepts(const AVFrame *frame) const override { return m_filter.Accepts(frame); }
    void Push(AVFrame *frame) override { m_filter.Push(frame); }
    void Close(int64_t pts) override { m_filter.Close(pts); }
    int Pull(AVFrame *frame) override { return m_filter.Pull(frame); }
    AVRational OutputTimeBase() const override
    {
        if constexpr (std::is_same_v<Filter, VideoFilter>)
            return m_filter.OutputTimeBase();
        else
            return AVRational{1, 1}; // sound is timed by its sample count
    }

private:
    Filter m_filter;
};

FilterGraphStage::FilterGraphStage(Scheduler &scheduler, SessionQueue &session,
                                   const VideoFilterSetup &setup)
    : m_scheduler(scheduler)
    , m_session(session)
    , m_input(scheduler, QueueScope::Upstream, kPictureLimits)
    , m_video_setup(setup)
    , m_audio_output(-1)
{ }

FilterGraphStage::FilterGraphStage(Scheduler &scheduler, SessionQueue &session,
                                   const AudioFilterSetup &setup, int output)
    : m_scheduler(scheduler)
    , m_session(session)
    , m_input(scheduler, QueueScope::Upstream, kSoundLimits)
    , m_audio_setup(setup)
    , m_audio_output(output)
{ }

FilterGraphStage::~FilterGraphStage() = default;

void FilterGraphStage::Start()
{
    m_thread = m_scheduler.Spawn([this] { Run(); });
}

void FilterGraphStage::Join()
{
    m_thread.Join();
}

std::unique_ptr<FilterGraphStage::Graph>
FilterGraphStage::Build(const AVFrame *first, AVRational time_base, bool continuing)
{
    if (m_audio_output >= 0) {
        AudioFilterSetup setup = m_audio_setup;
        setup.continuing = continuing;
        return std::make_unique<GraphOf<AudioFilter, AudioFilterSetup>>(setup, first, time_base);
    }
    VideoFilterSetup setup = m_video_setup;
    setup.continuing = continuing;
    return std::make_unique<GraphOf<VideoFilter, VideoFilterSetup>>(setup, first, time_base);
}

void FilterGraphStage::Run()
{
    // The session counts its senders out; the decoder stops once this graph wants nothing more.
    struct EndOnExit
    {
        FilterGraphStage &stage;
        ~EndOnExit()
        {
            stage.m_input.FinishReceiving();
            stage.m_session.FinishSending();
        }
    } end_on_exit{*this};

    bool go_on = true;
    while (go_on && !m_done) {
        std::optional<RouteItem> item = m_input.Receive();
        if (!item) {
            // The end of the input: what the graph still holds belongs to the output.
            if (m_graph && !m_input.Aborted()) {
                m_graph->Push(nullptr);
                Drain(false);
            }
            return;
        }
        m_scheduler.Checkpoint(StageKind::FilterGraph);
        go_on
            = item->frame ? Feed(std::move(item->frame), item->time_base) : Close(item->close_pts);
    }
}

bool FilterGraphStage::Feed(FramePtr frame, AVRational time_base)
{
    if (m_graph && !m_graph->Accepts(frame.get())) {
        // The source changed its picture size or sound format mid-stream: finish the old graph
        // and carry on with one built for the new frames.
        m_graph->Push(nullptr);
        if (!Drain(true))
            return false;
        m_graph = Build(frame.get(), time_base, true);
    }
    if (!m_graph)
        m_graph = Build(frame.get(), time_base, false);
    m_graph->Push(frame.get());
    return Drain(false);
}

bool FilterGraphStage::Close(int64_t pts)
{
    if (!m_graph) {
        m_done = true;
        return true;
    }
    m_graph->Close(pts);
    const bool go_on = Drain(false);
    m_done = true;
    return go_on;
}

bool FilterGraphStage::Drain(bool closing)
{
    const AVRational time_base = m_graph->OutputTimeBase();
    for (;;) {
        FramePtr filtered = MakeFrame();
        const int ret = m_graph->Pull(filtered.get());
        if (ret == AVERROR(EAGAIN))
            return true;
        if (ret == AVERROR_EOF) {
            // The -t point was passed; a graph closed for a rebuild is not the end.
            if (!closing)
                m_done = true;
            return true;
        }
        const std::size_t bytes = FrameBytes(filtered.get());
        if (!m_session.Send(SessionItem{std::move(filtered), time_base, m_audio_output}, bytes))
            return false;
    }
}

} // namespace dolmar
