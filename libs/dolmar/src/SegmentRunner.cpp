// SPDX-License-Identifier: GPL-3.0-or-later
#include "SegmentRunner.h"

#include "DemuxerStage.h"
#include "InputFile.h"
#include "OutputSession.h"

namespace dolmar {

SegmentRunner::SegmentRunner(Scheduler &scheduler, InputFile &input, OutputSession &output,
                             const VideoFilterSetup &video_setup, int video_stream,
                             const std::vector<int> &audio_streams, int threads)
    : m_scheduler(scheduler)
    , m_input(input)
    , m_output(output)
{
    const bool video = output.HasVideo() && video_stream >= 0;
    int graphs = video ? 1 : 0;
    for (const int stream : audio_streams)
        graphs += stream >= 0 ? 1 : 0;
    m_session_queue
        = std::make_unique<SessionQueue>(scheduler, QueueScope::Upstream, kSessionLimits, graphs);

    const InputOptions &options = input.Options();
    const double trim_start_s = options.start_us / 1e6;
    std::optional<double> trim_end_s;
    if (options.duration_us)
        trim_end_s = trim_start_s + *options.duration_us / 1e6;
    if (video) {
        VideoFilterSetup setup = video_setup;
        setup.trim_start_s = trim_start_s;
        m_graphs.push_back(std::make_unique<FilterGraphStage>(scheduler, *m_session_queue, setup));
        DecoderFor(video_stream, threads).Feed(m_graphs.back()->Input());
    }
    for (std::size_t i = 0; i < audio_streams.size(); ++i) {
        if (audio_streams[i] < 0)
            continue;
        AudioFilterSetup setup;
        setup.target = &output.Targets().audio[i];
        setup.threads = video_setup.threads;
        setup.trim_start_s = trim_start_s;
        setup.trim_end_s = trim_end_s;
        m_graphs.push_back(std::make_unique<FilterGraphStage>(scheduler, *m_session_queue, setup,
                                                              static_cast<int>(i)));
        DecoderFor(audio_streams[i], threads).Feed(m_graphs.back()->Input());
    }
}

SegmentRunner::~SegmentRunner()
{
    if (!m_joined) {
        // An exception is unwinding: every stage still waiting must return before its queues go.
        m_scheduler.AbortAll();
        JoinAll();
    }
}

DecoderStage &SegmentRunner::DecoderFor(int stream, int threads)
{
    std::unique_ptr<DecoderStage> &decoder = m_decoders[stream];
    if (!decoder)
        decoder = std::make_unique<DecoderStage>(m_scheduler, m_input, stream, threads);
    return *decoder;
}

int64_t SegmentRunner::FramesDecoded() const
{
    int64_t frames = 0;
    for (const auto &[stream, decoder] : m_decoders)
        frames += decoder->FramesDecoded();
    return frames;
}

void SegmentRunner::JoinAll()
{
    for (auto &[stream, decoder] : m_decoders)
        decoder->Join();
    for (auto &graph : m_graphs)
        graph->Join();
    m_session.Join();
    m_joined = true;
}

SegmentRunner::End SegmentRunner::Run()
{
    m_joined = false;
    m_session = m_scheduler.Spawn([this] { m_output.Feed(*m_session_queue); });
    for (auto &graph : m_graphs)
        graph->Start();
    DemuxerStage demuxer(m_scheduler, m_input);
    for (auto &[stream, decoder] : m_decoders) {
        decoder->Start();
        demuxer.Route(stream, decoder->Input());
    }
    demuxer.Run();
    JoinAll();

    if (m_scheduler.Failed())
        return End::Failed;
    if (m_scheduler.SizeLimited())
        return End::SizeLimitReached;
    if (m_scheduler.Stopped())
        return End::Stopped;
    return End::InputDone;
}

} // namespace dolmar
