// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoFilter.h"

#include "BitmapSubtitles.h"
#include "EngineError.h"
#include "HdrMetadata.h"
#include "Orientation.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstdio>
#include <string_view>
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

/// True for pictures the deinterlacer takes as they are (planar YUV, grey or RGB of up to 16
/// bits): a picture of another kind judged progressive must not be converted on its way.
bool Deinterlaceable(AVPixelFormat format)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    if (!desc || !(desc->flags & AV_PIX_FMT_FLAG_PLANAR)
        || (desc->flags
            & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL
               | AV_PIX_FMT_FLAG_FLOAT | AV_PIX_FMT_FLAG_BAYER)))
        return false;
    const int depth = desc->comp[0].depth;
    return depth <= 16 && (depth <= 8 || !(desc->flags & AV_PIX_FMT_FLAG_BE));
}

// zimg's names for the colour properties of an HDR picture; what is not stated is what HDR10
// and HLG sources are made in: BT.2020 primaries and matrix, limited range.
const char *ZimgTransfer(AVColorTransferCharacteristic transfer)
{
    return transfer == AVCOL_TRC_ARIB_STD_B67 ? "arib-std-b67" : "smpte2084";
}

const char *ZimgPrimaries(AVColorPrimaries primaries)
{
    switch (primaries) {
    case AVCOL_PRI_BT709:
        return "709";
    case AVCOL_PRI_SMPTE431:
        return "smpte431";
    case AVCOL_PRI_SMPTE432:
        return "smpte432";
    default:
        return "2020";
    }
}

const char *ZimgMatrix(AVColorSpace matrix)
{
    switch (matrix) {
    case AVCOL_SPC_BT709:
        return "709";
    case AVCOL_SPC_BT2020_CL:
        return "2020_cl";
    default:
        return "2020_ncl";
    }
}

/// The YUV format the tone-mapped picture leaves in: the encoder's, or its limited-range twin
/// (the final conversion then only stretches the range, which needs no colour matrix).
AVPixelFormat ToneMappedFormat(AVPixelFormat target)
{
    switch (target) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    default:
        break;
    }
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(target);
    if (desc && (desc->flags & AV_PIX_FMT_FLAG_RGB))
        return AV_PIX_FMT_GBRP;
    return Deinterlaceable(target) ? target : AV_PIX_FMT_YUV420P;
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

/// The formats zimg resizes plane by plane, as they are: planar YUV without alpha, 8 to 16 bits.
bool ResizesInZimg(AVPixelFormat format)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUV420P10:
    case AV_PIX_FMT_YUV422P10:
    case AV_PIX_FMT_YUV444P10:
    case AV_PIX_FMT_YUV420P12:
    case AV_PIX_FMT_YUV422P12:
    case AV_PIX_FMT_YUV444P12:
        return true;
    default:
        return false;
    }
}

} // namespace

VideoFilter::VideoFilter(const VideoFilterSetup &setup, const AVFrame *first, AVRational time_base)
    : m_setup(setup)
    , m_time_base(time_base)
    , m_width(first->width)
    , m_height(first->height)
    , m_format(first->format)
    , m_hdr(dynamic_range::IsHdrFrame(first))
{
    // A stream that states its scanning is taken at its word; of one that states nothing, each
    // picture is judged (film restored from pulldown has its own chain).
    // (bwdif needs three columns and four rows; a smaller picture has no fields to speak of).
    if (!setup.target->film && setup.field_order == AV_FIELD_UNKNOWN
        && Deinterlaceable(static_cast<AVPixelFormat>(first->format)) && first->width >= 3
        && first->height >= 4)
        m_detector = std::make_unique<CombDetector>();
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
    FilterChain::Options source{
        {"video_size", Text(first->width) + "x" + Text(first->height)},
        {"pix_fmt", av_get_pix_fmt_name(static_cast<AVPixelFormat>(first->format))},
        {"time_base", Text(m_time_base)},
        {"pixel_aspect", Text(sar)}};
    // Dropping one picture in five needs the rate the five come at.
    if (target.film)
        source.emplace_back("frame_rate", Text(target.film_source_rate));
    chain.Add("buffer", source);

    int width = first->width;
    int height = first->height;
    AddProgressive(chain);
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
    AddScale(chain, static_cast<AVPixelFormat>(first->format), width, height, fit_w, fit_h);
    // At the output's size, where it costs least (a 4K source mapped after its scaling to
    // 1080 lines maps a quarter of the pixels).
    if (m_hdr && target.dynamic_range != DynamicRange::Kept)
        AddToneMapping(chain, first);
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

void VideoFilter::AddScale(FilterChain &chain, AVPixelFormat format, int width, int height,
                           int to_width, int to_height)
{
    const VideoTarget &target = *m_setup.target;
    // zimg resizes a planar YUV picture into the same format with swscale's very kernels
    // (bicubic with B 0 and C 0.6, Lanczos of 3 taps) at well under half swscale's processor
    // time, and it places the chroma where the picture says it is. It takes only sizes on the
    // chroma grid and no change of format, and a tone-mapped picture keeps the one scaler its
    // colours were tuned with.
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    const bool resized = width != to_width || height != to_height;
    const bool on_grid = desc && width % (1 << desc->log2_chroma_w) == 0
        && height % (1 << desc->log2_chroma_h) == 0 && to_width % (1 << desc->log2_chroma_w) == 0
        && to_height % (1 << desc->log2_chroma_h) == 0;
    const bool tone_mapped = m_hdr && target.dynamic_range != DynamicRange::Kept;
    // A libavfilter built without zimg has no zscale: swscale then does it all.
    if (resized && on_grid && !tone_mapped && format == target.pixel_format && ResizesInZimg(format)
        && avfilter_get_by_name("zscale")) {
        const bool lanczos = std::string_view(target.scaler) == "lanczos";
        chain.Add("zscale",
                  {{"w", Text(to_width)},
                   {"h", Text(to_height)},
                   {"f", lanczos ? "lanczos" : "bicubic"},
                   {"param_a", lanczos ? "3" : "0"},
                   {"param_b", "0.6"}});
        return;
    }
    chain.Add("scale", {{"w", Text(to_width)}, {"h", Text(to_height)}, {"flags", target.scaler}});
}

void VideoFilter::AddProgressive(FilterChain &chain)
{
    const VideoTarget &target = *m_setup.target;
    // Fields are woven from the stored picture, so this comes before any turn or crop.
    if (target.film) {
        // The two woven pictures of each five are rebuilt from the fields that belong together;
        // one still woven (a cut) is deinterlaced; then the repeated picture of the five goes.
        const char *parity = target.film_top_first ? "tff" : "bff";
        chain.Add("fieldmatch", {{"order", parity}});
        chain.Add("bwdif", {{"mode", "send_frame"}, {"parity", parity}, {"deint", "interlaced"}});
        chain.Add("decimate");
        // The pictures kept keep their 29.97 times, four of five unevenly spaced: set on the
        // film's own grid, one slot after another (back on their own times after a gap), they
        // each get a place in the output instead of two falling into one.
        chain.Add("settb", {{"expr", Text(av_inv_q(target.frame_rate))}});
        chain.Add(
            "setpts",
            {{"expr", "if(isnan(PREV_OUTPTS),PTS,if(gt(PTS-PREV_OUTPTS,2),PTS,PREV_OUTPTS+1))"}});
    } else if (const char *parity = FirstField(m_setup.field_order)) {
        chain.Add("bwdif", {{"mode", "send_frame"}, {"parity", parity}, {"deint", "all"}});
    } else if (m_detector) {
        // Only the pictures CombDetector marks as woven, each with the field order it found.
        chain.Add("bwdif", {{"mode", "send_frame"}, {"parity", "auto"}, {"deint", "interlaced"}});
    }
}

void VideoFilter::AddToneMapping(FilterChain &chain, const AVFrame *first)
{
    // Into linear light with 100 cd/m2 as 1.0, BT.709 primaries, the highlights rolled off
    // (mobius: linear up to 30 % of SDR white, then compressed up to the source's peak), back
    // to BT.709. Of the operators FFmpeg 5.1 has, mobius puts HDR reference white (203 cd/m2)
    // at about 85 % of SDR white whatever the stated peak, and a 40 cd/m2 grey at 64 %, for PQ
    // and HLG alike; hable left white at 70 % and below with brighter masters.
    const bool full_range = first->color_range == AVCOL_RANGE_JPEG;
    chain.Add("zscale",
              {{"tin", ZimgTransfer(dynamic_range::FrameTransfer(first))},
               {"pin", ZimgPrimaries(first->color_primaries)},
               {"min", ZimgMatrix(first->colorspace)},
               {"rin", full_range ? "full" : "limited"},
               {"t", "linear"},
               {"npl", "100"}});
    chain.Add("format", {{"pix_fmts", "gbrpf32le"}});
    chain.Add("zscale", {{"p", "709"}});
    chain.Add("tonemap", {{"tonemap", "mobius"}, {"desat", "0"}});
    chain.Add("zscale", {{"t", "709"}, {"m", "709"}, {"r", "limited"}});
    chain.Add("format",
              {{"pix_fmts", av_get_pix_fmt_name(ToneMappedFormat(m_setup.target->pixel_format))}});
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
    // Only a stated transfer can turn a stream between SDR and HDR: HEVC keeps its mastering
    // data in some pictures only, and the pictures between say nothing.
    const bool same_range = frame->color_trc == AVCOL_TRC_UNSPECIFIED
        || dynamic_range::IsHdrTransfer(frame->color_trc) == m_hdr;
    return frame->width == m_width && frame->height == m_height && frame->format == m_format
        && same_range;
}

void VideoFilter::Push(AVFrame *frame)
{
    if (!frame) {
        FlushDetector();
        CloseChains(0, true);
        return;
    }
    if (m_detector) {
        // Judged one picture late, when the picture after it is known.
        if (FramePtr judged = m_detector->Take(frame))
            PushJudged(judged.get());
        return;
    }
    PushJudged(frame);
}

void VideoFilter::FlushDetector()
{
    if (!m_detector)
        return;
    if (FramePtr last = m_detector->Flush())
        PushJudged(last.get());
}

void VideoFilter::PushJudged(AVFrame *frame)
{
    if (m_shaping) {
        m_shaping->Push(frame);
        PassThroughBlend();
    } else {
        m_main->Push(frame);
    }
}

void VideoFilter::Close(int64_t pts)
{
    FlushDetector();
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
