// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"

#include <string>
#include <utility>
#include <vector>

namespace dolmar {

/// A straight line of libavfilter filters from one buffer source to one buffer sink, built with
/// the C API. Options are set one by one with av_opt_set on each filter context, so values such
/// as file names never pass through the filter-graph text syntax and need no escaping.
class FilterChain
{
public:
    using Options = std::vector<std::pair<std::string, std::string>>;

    /// threads 0 lets the graph use every core for the filters that can slice their work.
    explicit FilterChain(int threads);

    /// Appends a filter after the last one. Throws EngineError naming the filter and option.
    void Add(const char *filter, const Options &options = {});

    /// Links the last filter to a sink ("buffersink" or "abuffersink") and configures the graph.
    void Finish(const char *sink);

    AVFilterContext *Source() const { return m_source; }
    AVFilterContext *Sink() const { return m_sink; }

    /// Hands a frame to the source (null: end of stream). The chain takes its own reference, so
    /// one decoded frame can feed several chains.
    void Push(AVFrame *frame);

    /// Ends the input at pts (in the source's time base): the end of the last frame wanted.
    void Close(int64_t pts);

    /// 0 and a frame, AVERROR(EAGAIN) when the chain needs more input, AVERROR_EOF at the end.
    int Pull(AVFrame *frame);

    /**
     * The filters between source and sink in filter-graph notation, for people and tests:
     * "crop=w=632:h=472:x=4:y=4:exact=1,scale=w=320:h=240:flags=bicubic". Values are shown as
     * they were set, without the escaping the text syntax would need.
     */
    const std::string &Description() const { return m_description; }

private:
    /// Creates filter with its options and links it after the last one.
    void Link(const char *filter, const Options &options);
    void Describe(const char *filter, const Options &options);

    FilterGraphPtr m_graph;
    AVFilterContext *m_source = nullptr;
    AVFilterContext *m_last = nullptr;
    AVFilterContext *m_sink = nullptr;
    int m_count = 0;
    std::string m_description;
    int64_t m_last_pts = AV_NOPTS_VALUE;
    int64_t m_end_pts = AV_NOPTS_VALUE;
};

} // namespace dolmar
