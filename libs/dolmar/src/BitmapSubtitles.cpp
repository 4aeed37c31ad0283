// SPDX-License-Identifier: GPL-3.0-or-later
#include "BitmapSubtitles.h"

#include "AvOwners.h"
#include "EngineError.h"
#include "SubtitleInput.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace dolmar {

namespace {

// An event with no end of its own (no stop command) shows until the next one, and the last one
// for this long.
constexpr double kOpenEndSeconds = 5.0;

uint8_t Clamp8(int value)
{
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

} // namespace

BitmapSubtitles::BitmapSubtitles(const std::string &path)
{
    SubtitleInput input = SubtitleInput::Open(path);
    const InputContextPtr &format = input.format;
    const AVStream *stream = input.stream;
    CodecContextPtr decoder = input.OpenDecoder(path, nullptr);
    int ret = 0;
    // VobSub states its canvas in the .idx ("size: 720x480"); the decoder reads it from there.
    m_canvas_width = decoder->width > 0 ? decoder->width : stream->codecpar->width;
    m_canvas_height = decoder->height > 0 ? decoder->height : stream->codecpar->height;

    PacketPtr packet = MakePacket();
    for (int count = 0; count < kMaxSubtitlePackets; ++count) {
        ret = av_read_frame(format.get(), packet.get());
        if (ret < 0)
            break;
        if (packet->stream_index != stream->index || packet->pts == AV_NOPTS_VALUE) {
            av_packet_unref(packet.get());
            continue;
        }
        DecodedSubtitle decoded;
        int got = 0;
        const double packet_s = packet->pts * av_q2d(stream->time_base);
        ret = avcodec_decode_subtitle2(decoder.get(), &decoded.sub, &got, packet.get());
        av_packet_unref(packet.get());
        if (ret < 0 || !got)
            continue;
        const AVSubtitle &sub = decoded.sub;
        Event event;
        event.start_s = packet_s + sub.start_display_time / 1000.0;
        event.end_s
            = sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX
            ? packet_s + sub.end_display_time / 1000.0
            : -1.0;
        for (unsigned i = 0; i < sub.num_rects; ++i) {
            const AVSubtitleRect *rect = sub.rects[i];
            if (rect->type != SUBTITLE_BITMAP || rect->w <= 0 || rect->h <= 0 || !rect->data[0]
                || !rect->data[1])
                continue;
            Rect copy;
            copy.x = rect->x;
            copy.y = rect->y;
            copy.w = rect->w;
            copy.h = rect->h;
            copy.argb.resize(static_cast<std::size_t>(rect->w) * rect->h);
            uint32_t palette[256];
            std::memcpy(palette, rect->data[1], sizeof palette);
            for (int y = 0; y < rect->h; ++y)
                for (int x = 0; x < rect->w; ++x)
                    copy.argb[static_cast<std::size_t>(y) * rect->w + x]
                        = palette[rect->data[0][y * rect->linesize[0] + x]];
            event.rects.push_back(std::move(copy));
        }
        // An empty event (PGS) clears the screen: it still ends the one before it.
        m_events.push_back(std::move(event));
    }
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const Event &a, const Event &b) { return a.start_s < b.start_s; });
    for (std::size_t i = 0; i < m_events.size(); ++i) {
        Event &event = m_events[i];
        if (event.end_s < 0)
            event.end_s = i + 1 < m_events.size() ? m_events[i + 1].start_s
                                                  : event.start_s + kOpenEndSeconds;
    }
}

void BitmapSubtitles::SetGeometry(int source_width, int source_height, const CropBands &crop,
                                  int picture_width, int picture_height)
{
    if (source_width == m_source_width && source_height == m_source_height
        && picture_width == m_picture_width && picture_height == m_picture_height
        && crop.left == m_crop.left && crop.top == m_crop.top && crop.right == m_crop.right
        && crop.bottom == m_crop.bottom)
        return;
    m_source_width = source_width;
    m_source_height = source_height;
    m_crop = crop;
    m_picture_width = picture_width;
    m_picture_height = picture_height;
    for (Event &event : m_events) {
        event.placed.clear();
        event.is_placed = false;
    }
}

void BitmapSubtitles::Place(Event &event)
{
    event.is_placed = true;
    const int canvas_w = m_canvas_width > 0 ? m_canvas_width : m_source_width;
    const int canvas_h = m_canvas_height > 0 ? m_canvas_height : m_source_height;
    const int cropped_w = m_source_width - m_crop.left - m_crop.right;
    const int cropped_h = m_source_height - m_crop.top - m_crop.bottom;
    if (canvas_w <= 0 || canvas_h <= 0 || cropped_w <= 0 || cropped_h <= 0)
        return;
    // canvas -> source frame -> cropped source -> picture
    const double to_source_x = double(m_source_width) / canvas_w;
    const double to_source_y = double(m_source_height) / canvas_h;
    const double to_picture_x = double(m_picture_width) / cropped_w;
    const double to_picture_y = double(m_picture_height) / cropped_h;
    for (const Rect &rect : event.rects) {
        Placed placed;
        placed.x
            = static_cast<int>(std::lround((rect.x * to_source_x - m_crop.left) * to_picture_x));
        placed.y
            = static_cast<int>(std::lround((rect.y * to_source_y - m_crop.top) * to_picture_y));
        placed.w = static_cast<int>(std::lround(rect.w * to_source_x * to_picture_x));
        placed.h = static_cast<int>(std::lround(rect.h * to_source_y * to_picture_y));
        if (placed.w <= 0 || placed.h <= 0 || placed.w > 16384 || placed.h > 16384)
            continue;
        // 0xAARRGGBB in memory on a little-endian machine is B, G, R, A.
        SwsContextPtr scaler(sws_getContext(rect.w, rect.h, AV_PIX_FMT_BGRA, placed.w, placed.h,
                                            AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr,
                                            nullptr));
        if (!scaler)
            continue;
        std::vector<uint32_t> scaled(static_cast<std::size_t>(placed.w) * placed.h);
        const uint8_t *src[4] = {reinterpret_cast<const uint8_t *>(rect.argb.data())};
        const int src_stride[4] = {rect.w * 4};
        uint8_t *dst[4] = {reinterpret_cast<uint8_t *>(scaled.data())};
        const int dst_stride[4] = {placed.w * 4};
        sws_scale(scaler.get(), src, src_stride, 0, rect.h, dst, dst_stride);
        const std::size_t count = scaled.size();
        placed.y_plane.resize(count);
        placed.u_plane.resize(count);
        placed.v_plane.resize(count);
        placed.alpha.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const uint32_t p = scaled[i];
            const int r = static_cast<int>((p >> 16) & 0xFF);
            const int g = static_cast<int>((p >> 8) & 0xFF);
            const int b = static_cast<int>(p & 0xFF);
            // BT.601 studio range, what SD subtitles were made for and what the encoders get.
            placed.y_plane[i] = Clamp8(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
            placed.u_plane[i] = Clamp8(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
            placed.v_plane[i] = Clamp8(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
            placed.alpha[i] = static_cast<uint8_t>(p >> 24);
        }
        event.placed.push_back(std::move(placed));
    }
}

void BitmapSubtitles::BlendInto(AVFrame *frame, const Placed &placed)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!desc || desc->nb_components < 3 || (desc->flags & AV_PIX_FMT_FLAG_RGB))
        return;
    const int shift_x = desc->log2_chroma_w;
    const int shift_y = desc->log2_chroma_h;
    const int mask_x = (1 << shift_x) - 1;
    const int mask_y = (1 << shift_y) - 1;
    const int x0 = std::max(0, placed.x);
    const int y0 = std::max(0, placed.y);
    const int x1 = std::min(frame->width, placed.x + placed.w);
    const int y1 = std::min(frame->height, placed.y + placed.h);
    for (int y = y0; y < y1; ++y) {
        const std::size_t row = static_cast<std::size_t>(y - placed.y) * placed.w;
        uint8_t *luma = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
        const bool chroma_row = (y & mask_y) == 0;
        uint8_t *cb
            = frame->data[1] + static_cast<std::ptrdiff_t>(y >> shift_y) * frame->linesize[1];
        uint8_t *cr
            = frame->data[2] + static_cast<std::ptrdiff_t>(y >> shift_y) * frame->linesize[2];
        for (int x = x0; x < x1; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x - placed.x);
            const int a = placed.alpha[i];
            if (a == 0)
                continue;
            luma[x]
                = static_cast<uint8_t>((luma[x] * (255 - a) + placed.y_plane[i] * a + 127) / 255);
            if (chroma_row && (x & mask_x) == 0) {
                uint8_t &u = cb[x >> shift_x];
                uint8_t &v = cr[x >> shift_x];
                u = static_cast<uint8_t>((u * (255 - a) + placed.u_plane[i] * a + 127) / 255);
                v = static_cast<uint8_t>((v * (255 - a) + placed.v_plane[i] * a + 127) / 255);
            }
        }
    }
}

void BitmapSubtitles::Blend(AVFrame *frame, double seconds)
{
    if (m_events.empty())
        return;
    // The last event starting at or before this time; a few before it may still be showing.
    auto after = std::upper_bound(m_events.begin(), m_events.end(), seconds,
                                  [](double t, const Event &e) { return t < e.start_s; });
    const std::size_t last = static_cast<std::size_t>(after - m_events.begin());
    const std::size_t first = last > 8 ? last - 8 : 0;
    for (std::size_t i = first; i < last; ++i) {
        Event &event = m_events[i];
        if (seconds >= event.end_s)
            continue;
        if (!event.is_placed)
            Place(event);
        for (const Placed &placed : event.placed)
            BlendInto(frame, placed);
    }
}

} // namespace dolmar
