// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewRenderer.h"

// The engine's subtitle reader and filter chain, compiled in from the engine's sources.
#include "AvOwners.h"
#include "EngineError.h"
#include "FilterChain.h"
#include "SubtitleFile.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <cmath>
#include <cstring>

namespace subtitles {

namespace {

// Milliseconds: fine enough for any subtitle timing.
constexpr AVRational kTimeBase{1, 1000};
// The rate a subtitle counted in frames is read at when it names none; the preview shows one
// still picture, so any common rate serves.
constexpr AVRational kFrameRate{25, 1};

dolmar::FramePtr FrameFromImage(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    dolmar::FramePtr frame = dolmar::MakeFrame();
    frame->width = rgb.width();
    frame->height = rgb.height();
    frame->format = AV_PIX_FMT_RGB24;
    frame->sample_aspect_ratio = AVRational{1, 1};
    dolmar::CheckAv(av_frame_get_buffer(frame.get(), 0), "make the preview picture", "");
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                    rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3);
    return frame;
}

QImage ImageFromFrame(const AVFrame *frame)
{
    QImage image(frame->width, frame->height, QImage::Format_RGB888);
    for (int y = 0; y < frame->height; ++y)
        std::memcpy(image.scanLine(y),
                    frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                    static_cast<std::size_t>(frame->width) * 3);
    return image;
}

} // namespace

PreviewRenderer::PreviewRenderer(const std::string &subtitle_path)
{
    try {
        m_file = std::make_unique<dolmar::SubtitleFile>(subtitle_path, kFrameRate);
        if (m_file->FileKind() != dolmar::SubtitleFile::Kind::Text) {
            m_file.reset();
            m_error = subtitle_path + " holds picture subtitles, which no style applies to";
        }
    } catch (const std::exception &error) {
        m_error = error.what();
    }
}

PreviewRenderer::~PreviewRenderer() = default;

QImage PreviewRenderer::Render(const QImage &frame, double seconds, const std::string &force_style)
{
    if (!m_file || frame.isNull())
        return {};
    try {
        dolmar::FramePtr input = FrameFromImage(frame);
        input->pts = std::llround(seconds / av_q2d(kTimeBase));
        input->pkt_duration = 1;

        dolmar::FilterChain chain(1);
        chain.Add(
            "buffer",
            {{"video_size", std::to_string(frame.width()) + "x" + std::to_string(frame.height())},
             {"pix_fmt", "rgb24"},
             {"time_base", "1/1000"},
             {"pixel_aspect", "1/1"}});
        // A conversion draws the text on the scaled picture in the encoder's 4:2:0 format;
        // drawing on the same format shows the same colour edges.
        chain.Add("format", {{"pix_fmts", "yuv420p"}});
        // The options a conversion gives the subtitles filter, set one by one.
        dolmar::FilterChain::Options options{{"filename", m_file->Path()}};
        if (!m_file->Charset().empty())
            options.emplace_back("charenc", m_file->Charset());
        if (!force_style.empty())
            options.emplace_back("force_style", force_style);
        chain.Add("subtitles", options);
        chain.Add("format", {{"pix_fmts", "rgb24"}});
        chain.Finish("buffersink");

        chain.Push(input.get());
        chain.Push(nullptr);
        dolmar::FramePtr output = dolmar::MakeFrame();
        const int ret = chain.Pull(output.get());
        if (ret < 0) {
            m_error = "the subtitles filter gave no picture: " + dolmar::AvErrorText(ret);
            return {};
        }
        m_error.clear();
        return ImageFromFrame(output.get());
    } catch (const std::exception &error) {
        m_error = error.what();
        return {};
    }
}

} // namespace subtitles
