// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include <memory>
#include <string>

namespace dolmar {
class SubtitleFile;
}

namespace subtitles {

/**
 * Burns a subtitle file into still pictures the way a conversion burns it into the video: the
 * file is prepared by the engine's own subtitle reader (text formats other than ASS become an ASS
 * script first, as in a conversion), then drawn by libavfilter's subtitles filter (libass) with
 * the saved style as its force_style, on a picture in the encoder's YUV 4:2:0 format.
 */
class PreviewRenderer
{
public:
    /// Prepares subtitle_path; Ready() is false (and Error() says why) when it cannot be read.
    explicit PreviewRenderer(const std::string &subtitle_path);
    ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer &) = delete;
    PreviewRenderer &operator=(const PreviewRenderer &) = delete;

    bool Ready() const { return m_file != nullptr; }
    const std::string &Error() const { return m_error; }

    /**
     * frame with what the subtitle file shows at seconds burnt in, styled by force_style (the
     * text the engine builds from the style file; empty for libass's defaults). A null image
     * (and Error() set) when the filters fail.
     */
    QImage Render(const QImage &frame, double seconds, const std::string &force_style);

private:
    std::unique_ptr<dolmar::SubtitleFile> m_file;
    std::string m_error;
};

} // namespace subtitles
