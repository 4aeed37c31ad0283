// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoFilter.h"

#include "BitmapSubtitles.h"
#include "EngineError.h"
#include "Orientation.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstdio>
#include <utility>

namespace dolmar {

namespace {

std::string Text(int value)
{
    return std::to_string(value);
}

std::string Text(AVRational q)
{
    return std::to_string(q.num) + "/" + std::to_string(q.den);
}

std::string Seconds(double seconds)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

std::string Color(uint32_t rgb)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", rgb & 0xFFFFFFu);
    return text;
}

int RoundToStep(double value, int step)
{
    const int rounded = static_cast<int>(std::lround(value / step)) * step;
    return rounded < step ? step : rounded;
}

/// The bwdif parity of an interlaced field order; null for progressive or unknown scanning.
const char *FirstField(AVFieldOrder order)
{
    switch (order) {
    case AV_FIELD_TT:
    case AV_FIELD_BT: // bottom coded first, top shown first
        return "tff";
    case AV_FIELD_BB:
    case AV_FIELD_TB:
        return "bff";
    default:
        return nullptr;
    }
}

/// Where the bitmap blend works: the encoder's own planar 8-bit YUV format when it has one.
AVPixelFormat BlendFormat(AVPixelFormat target)
{
    switch (target) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUV411P:
        return target;
    default:
        return AV_PIX_FMT_YUV420P;
    }
}

} // namespace

VideoFilter::VideoFilter(const VideoFilterSetup &setup, const AVFrame *first, AVRational time_base)
    : m_setup(setup)
    , m_time_base(time_base)
    , m_width(first->width)
    , m_height(first->height)
    , m_format(first->format)
{
    if (setup.bitmap_subtitles) {
        m_shaping = std::make_unique<FilterChain>(setup.threads);
        BuildShaping(*m_shaping, first);
        m_shaping->Add(
            "format", {{"pix_fmts", av_get_pix_fmt_name(BlendFormat(setup.target->pixel_format))}});
        m_shaping->Finish("buffersink");
        const bool swapped = orientation::SwapsSides(setup.upright_turn);
        setup.bitmap_subtitles->SetGeometry(
            swapped ? first->height : first->width, swapped ? first->width : first->height,
            setup.target->crop, setup.target->inner_width, setup.target->inner_height);
        m_between = MakeFrame();
        const AVFilterContext *sink = m_shaping->Sink();
        m_main = std::make_unique<FilterChain>(setup.threads);
        m_main->Add(
            "buffer",
            {{"video_size",
              Text(av_buffersink_get_w(sink)) + "x" + Text(av_buffersink_get_h(sink))},
             {"pix_fmt",
              av_get_pix_fmt_name(static_cast<AVPixelFormat>(av_buffersink_get_format(sink)))},
             {"time_base", Text(av_buffersink_get_time_base(sink))},
             {"pixel_aspect", Text(av_buffersink_get_sample_aspect_ratio(sink))}});
    } else {
        m_main = std::make_unique<FilterChain>(setup.threads);
        BuildShaping(*m_main, first);
    }
    BuildFinishing(*m_main);
}

VideoFilter::~VideoFilter() = default;

void VideoFilter::BuildShaping(FilterChain &chain, const AVFrame *first)
{
    const VideoTarget &target = *m_setup.target;
    AVRational sar = first->sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0)
        sar = AVRational{1, 1};
    chain.Add("buffer",
              {{"video_size", Text(first->width) + "x" + Text(first->height)},
               {"pix_fmt", av_get_pix_fmt_name(static_cast<AVPixelFormat>(first->format))},
               {"time_base", Text(m_time_base)},
               {"pixel_aspect", Text(sar)}});

    int width = first->width;
    int height = first->height;
    // Fields are woven from the stored picture, so deinterlacing comes before any turn or crop.
    if (const char *parity = FirstField(m_setup.field_order))
        chain.Add("bwdif", {{"mode", "send_frame"}, {"parity", parity}, {"deint", "all"}});
    orientation::AddTurn(chain, m_setup.upright_turn);
    if (orientation::SwapsSides(m_setup.upright_turn)) {
        std::swap(width, height);
        sar = AVRational{sar.den, sar.num};
    }

    const CropBands &crop = target.crop;
    if (crop.left || crop.right || crop.top || crop.bottom) {
        // The bands were checked against the first input; a later segment may be smaller.
        if (crop.left + crop.right >= width || crop.top + crop.bottom >= height)
            ThrowBadArgs("Cropping leaves nothing of the " + Text(width) + "x" + Text(height)
                         + " picture of a merged input.");
        width -= crop.left + crop.right;
        height -= crop.top + crop.bottom;
        chain.Add("crop",
                  {{"w", Text(width)},
                   {"h", Text(height)},
                   {"x", Text(crop.left)},
                   {"y", Text(crop.top)},
                   {"exact", "1"}});
    }

    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(target.pixel_format);
    const int step_x = desc ? 1 << desc->log2_chroma_w : 1;
    const int step_y = desc ? 1 << desc->log2_chroma_h : 1;
    int fit_w = target.inner_width;
    int fit_h = target.inner_height;
    if (target.letterbox) {
        // Keep each joined source's shape: compare display aspects, then bar the rest.
        const double source_dar = width * av_q2d(sar) / height;
        const double pixel_aspect = av_q2d(target.sample_aspect);
        const double target_dar = target.inner_width * pixel_aspect / target.inner_height;
        if (source_dar > target_dar * 1.01)
            fit_h = std::min(target.inner_height,
                             RoundToStep(target.inner_width * pixel_aspect / source_dar, step_y));
        else if (source_dar < target_dar / 1.01)
            fit_w = std::min(target.inner_width,
                             RoundToStep(target.inner_height * source_dar / pixel_aspect, step_x));
    }
    chain.Add("scale", {{"w", Text(fit_w)}, {"h", Text(fit_h)}, {"flags", target.scaler}});
    if (fit_w != target.inner_width || fit_h != target.inner_height) {
        const int x = (target.inner_width - fit_w) / 2 / step_x * step_x;
        const int y = (target.inner_height - fit_h) / 2 / step_y * step_y;
        chain.Add("pad",
                  {{"w", Text(target.inner_width)},
                   {"h", Text(target.inner_height)},
                   {"x", Text(x)},
                   {"y", Text(y)},
                   {"color", "black"}});
    }
    if (!m_setup.subtitle_path.empty()) {
        FilterChain::Options options{{"filename", m_setup.subtitle_path}};
        if (!m_setup.subtitle_charset.empty())
            options.emplace_back("charenc", m_setup.subtitle_charset);
        if (!m_setup.subtitle_style.empty())
            options.emplace_back("force_style", m_setup.subtitle_style);
        chain.Add("subtitles", options);
    }
}

void VideoFilter::BuildFinishing(FilterChain &chain)
{
    const VideoTarget &target = *m_setup.target;
    const PadBands &pad = target.pad;
    if (pad.Any())
        chain.Add("pad",
                  {{"w", Text(target.width)},
                   {"h", Text(target.height)},
                   {"x", Text(pad.left)},
                   {"y", Text(pad.top)},
                   {"color", Color(pad.color_rgb)}});
    chain.Add("setsar", {{"sar", Text(target.sample_aspect)}, {"max", "255"}});
    chain.Add("format", {{"pix_fmts", av_get_pix_fmt_name(target.pixel_format)}});
    FilterChain::Options fps{{"fps", Text(target.frame_rate)}};
    // A segment whose first frame comes late repeats it from the -ss point, so that picture and
    // sound start together; a rebuilt chain carries on where the last one stopped.
    if (!m_setup.continuing)
        fps.emplace_back("start_time", Seconds(m_setup.trim_start_s));
    chain.Add("fps", fps);
    chain.Finish("buffersink");
    m_first_slot = std::llround(m_setup.trim_start_s * av_q2d(target.frame_rate));
}

bool VideoFilter::Accepts(const AVFrame *frame) const
{
    return frame->width == m_width && frame->height == m_height && frame->format == m_format;
}

void VideoFilter::Push(AVFrame *frame)
{
    if (!frame) {
        CloseChains(0, true);
        return;
    }
    if (m_shaping) {
        m_shaping->Push(frame);
        PassThroughBlend();
    } else {
        m_main->Push(frame);
    }
}

void VideoFilter::Close(int64_t pts)
{
    CloseChains(pts, false);
}

void VideoFilter::CloseChains(int64_t pts, bool at_last_frame)
{
    if (m_shaping) {
        if (at_last_frame)
            m_shaping->Push(nullptr);
        else
            m_shaping->Close(pts);
        PassThroughBlend();
    }
    if (at_last_frame)
        m_main->Push(nullptr);
    else
        m_main->Close(pts);
}

void VideoFilter::PassThroughBlend()
{
    const double seconds_per_tick = av_q2d(av_buffersink_get_time_base(m_shaping->Sink()));
    while (m_shaping->Pull(m_between.get()) == 0) {
        AVFrame *frame = m_between.get();
        CheckAv(av_frame_make_writable(frame), "prepare a frame for subtitles", "");
        m_setup.bitmap_subtitles->Blend(frame, frame->pts * seconds_per_tick);
        m_main->Push(frame);
        av_frame_unref(frame);
    }
}

int VideoFilter::Pull(AVFrame *frame)
{
    const int ret = m_main->Pull(frame);
    if (ret == 0)
        frame->pts -= m_first_slot;
    return ret;
}

std::string VideoFilter::Description() const
{
    if (!m_shaping)
        return m_main->Description();
    return m_shaping->Description() + ",[bitmap subtitles]," + m_main->Description();
}

AVRational VideoFilter::OutputTimeBase() const
{
    return av_buffersink_get_time_base(m_main->Sink());
}

} // namespace dolmar
