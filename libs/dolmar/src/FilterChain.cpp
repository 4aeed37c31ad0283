// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilterChain.h"

#include "EngineError.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

namespace dolmar {

FilterChain::FilterChain(int threads)
    : m_graph(avfilter_graph_alloc())
{
    if (!m_graph)
        throw std::bad_alloc();
    m_graph->nb_threads = threads;
}

void FilterChain::Add(const char *filter, const Options &options)
{
    // The source (the first filter) is plumbing, not part of what the chain does to a frame.
    if (m_last)
        Describe(filter, options);
    Link(filter, options);
}

void FilterChain::Link(const char *filter, const Options &options)
{
    const AVFilter *def = avfilter_get_by_name(filter);
    if (!def)
        ThrowFailed(std::string("This system's FFmpeg lacks the ") + filter + " filter.");
    const std::string name = std::string(filter) + "_" + std::to_string(m_count++);
    AVFilterContext *ctx = avfilter_graph_alloc_filter(m_graph.get(), def, name.c_str());
    if (!ctx)
        throw std::bad_alloc();
    for (const auto &[key, value] : options) {
        const int ret = av_opt_set(ctx, key.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
        if (ret < 0) {
            std::string step = "set ";
            step += key;
            step += '=';
            step += value;
            step += " on the ";
            step += filter;
            step += " filter";
            ThrowAvError(ret, step, "");
        }
    }
    CheckAv(avfilter_init_str(ctx, nullptr), std::string("set up the ") + filter + " filter", "");
    if (m_last) {
        CheckAv(avfilter_link(m_last, 0, ctx, 0), std::string("link the ") + filter + " filter",
                "");
    } else {
        m_source = ctx;
    }
    m_last = ctx;
}

void FilterChain::Describe(const char *filter, const Options &options)
{
    if (!m_description.empty())
        m_description += ',';
    m_description += filter;
    char separator = '=';
    for (const auto &[key, value] : options) {
        m_description += separator;
        m_description += key;
        m_description += '=';
        m_description += value;
        separator = ':';
    }
}

void FilterChain::Finish(const char *sink)
{
    Link(sink, {});
    m_sink = m_last;
    CheckAv(avfilter_graph_config(m_graph.get(), nullptr), "set up the filters", "");
}

void FilterChain::Push(AVFrame *frame)
{
    if (!frame) {
        // The end of the stream is the end of the last frame, not its start: the frame-rate
        // filter would otherwise drop the last frame.
        Close(m_end_pts);
        return;
    }
    if (frame->pts != AV_NOPTS_VALUE) {
        int64_t duration = frame->pkt_duration;
        if (duration <= 0 && frame->nb_samples > 0 && frame->sample_rate > 0)
            duration = av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate},
                                    m_source->outputs[0]->time_base);
        if (duration <= 0 && m_last_pts != AV_NOPTS_VALUE && frame->pts > m_last_pts)
            duration = frame->pts - m_last_pts;
        m_last_pts = frame->pts;
        m_end_pts = frame->pts + (duration > 0 ? duration : 0);
    }
    const int ret = av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
    if (ret < 0 && ret != AVERROR_EOF)
        ThrowAvError(ret, "filter a frame", "");
}

void FilterChain::Close(int64_t pts)
{
    const int ret = av_buffersrc_close(m_source, pts, 0);
    if (ret < 0 && ret != AVERROR_EOF)
        ThrowAvError(ret, "filter a frame", "");
}

int FilterChain::Pull(AVFrame *frame)
{
    const int ret = av_buffersink_get_frame(m_sink, frame);
    if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
        ThrowAvError(ret, "filter a frame", "");
    return ret;
}

} // namespace dolmar
