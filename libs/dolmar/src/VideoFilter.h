// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"
#include "CombDetector.h"
#include "FilterChain.h"
#include "OutputTargets.h"

#include <memory>
#include <optional>
#include <string>

namespace dolmar {

class BitmapSubtitles;

/// What shapes the picture of one segment.
struct VideoFilterSetup
{
    const VideoTarget *target = nullptr;
    int threads = 0;
    double trim_start_s = 0; ///< source seconds
    std::optional<double> trim_end_s;
    /// Text subtitles burnt in by libass; empty path: none.
    std::string subtitle_path;
    std::string subtitle_charset;
    std::string subtitle_style; ///< the subtitles filter's force_style
    BitmapSubtitles *bitmap_subtitles = nullptr;
    /// A rebuilt chain continues the segment: no lead-in frames from time 0.
    bool continuing = false;
    /// Clockwise degrees that show this segment's pictures upright; done before cropping.
    int upright_turn = 0;
    /// The segment's scanning as its stream states it: interlaced pictures are deinterlaced first
    /// of all; where the stream states nothing, each picture is judged on its own.
    AVFieldOrder field_order = AV_FIELD_UNKNOWN;
};

/// The video path of one segment, in this order: make the pictures progressive (deinterlace a
/// stream that states interlaced scanning; of one that states nothing, only the pictures found
/// woven; restore film from 3:2 pulldown), turn the picture upright, crop it, scale it to the
/// picture size (a merged run fits each source inside it with bars), tone-map an HDR picture
/// for an output that cannot show HDR, burn in subtitles so that they are sized for the output,
/// add the pad bands, set the pixel aspect, convert to the encoder's pixel format and make the
/// frame rate constant from the -ss point on.
///
/// Frames come in with source-second timestamps (what subtitle files count in) and leave in units
/// of 1/frame rate, counted from the -ss point. The caller keeps frames before -ss out and ends
/// the input at the -t point with close(). Bitmap subtitles are blended between two chains, at
/// the point where text subtitles are rendered.
class VideoFilter
{
public:
    VideoFilter(const VideoFilterSetup &setup, const AVFrame *first, AVRational time_base);
    ~VideoFilter();

    /// False when frame has another size or format than the chain was built for, or switches
    /// between SDR and HDR.
    bool Accepts(const AVFrame *frame) const;

    /// Filters frame (source-second timestamps in the time base given); null ends the input.
    void Push(AVFrame *frame);

    /// Ends the input at pts (source time base): the -t point.
    void Close(int64_t pts);

    /// 0 with a frame, AVERROR(EAGAIN) when more input is needed, AVERROR_EOF when done.
    int Pull(AVFrame *frame);

    AVRational OutputTimeBase() const;

    /// The filters a frame passes, in order (FilterChain::Description); bitmap subtitles show
    /// as "[bitmap subtitles]" where they are blended between the two chains.
    std::string Description() const;

private:
    void BuildShaping(FilterChain &chain, const AVFrame *first);
    void AddScale(FilterChain &chain, AVPixelFormat format, int width, int height, int to_width,
                  int to_height);
    void AddProgressive(FilterChain &chain);
    void AddToneMapping(FilterChain &chain, const AVFrame *first);
    void BuildFinishing(FilterChain &chain);
    void PushJudged(AVFrame *frame);
    void FlushDetector();
    void PassThroughBlend();
    void CloseChains(int64_t pts, bool at_last_frame);

    VideoFilterSetup m_setup;
    AVRational m_time_base;
    int m_width;
    int m_height;
    int m_format;
    bool m_hdr; ///< the pictures are coded in HDR
    /// Judges each picture of a stream that states no scanning; null otherwise.
    std::unique_ptr<CombDetector> m_detector;
    std::unique_ptr<FilterChain> m_shaping; ///< only with bitmap subtitles: up to the blend
    std::unique_ptr<FilterChain> m_main;
    FramePtr m_between;
    int64_t m_first_slot = 0; ///< the fps filter's output timestamp of the -ss point
};

} // namespace dolmar
