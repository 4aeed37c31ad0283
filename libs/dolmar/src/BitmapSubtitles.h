// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"

#include <cstdint>
#include <string>
#include <vector>

struct AVFrame;

namespace dolmar {

/// Picture subtitles (VobSub, PGS) burnt into the video by the engine itself.
///
/// The whole file is decoded up front (subtitle files are small), each event kept as palette
/// colours resolved to RGBA on the subtitle's own canvas. When the picture geometry is known, an
/// event is scaled once to the picture (canvas -> source frame -> crop -> scaled picture) and
/// kept as YUV plus alpha for blending into every frame it shows on.
class BitmapSubtitles
{
public:
    /// Decodes every event of path. Throws EngineError when it cannot be read.
    explicit BitmapSubtitles(const std::string &path);

    /// Where the picture comes from: the source frame size, the crop applied to it and the
    /// picture size the blend works on.
    void SetGeometry(int source_width, int source_height, const CropBands &crop, int picture_width,
                     int picture_height);

    /// Blends what shows at source time seconds into frame (planar 8-bit YUV).
    void Blend(AVFrame *frame, double seconds);

    std::size_t EventCount() const { return m_events.size(); }

private:
    struct Rect
    {
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        std::vector<uint32_t> argb; ///< w * h pixels, canvas resolution
    };
    struct Placed
    {
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        std::vector<uint8_t> y_plane, u_plane, v_plane, alpha; ///< w * h each
    };
    struct Event
    {
        double start_s = 0;
        double end_s = 0;
        std::vector<Rect> rects;
        std::vector<Placed> placed; ///< rects scaled to the picture, made on first use
        bool is_placed = false;
    };

    void Place(Event &event);
    static void BlendInto(AVFrame *frame, const Placed &placed);

    std::vector<Event> m_events;
    int m_canvas_width = 0;
    int m_canvas_height = 0;
    int m_source_width = 0;
    int m_source_height = 0;
    CropBands m_crop;
    int m_picture_width = 0;
    int m_picture_height = 0;
};

} // namespace dolmar
