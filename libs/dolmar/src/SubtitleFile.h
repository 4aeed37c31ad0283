// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

extern "C" {
#include <libavutil/rational.h>
}

struct AVInputFormat;

namespace dolmar {

/// The subtitle file named by -vhook, sorted into what burns it in.
///
/// Text formats go to libass through the subtitles filter. ASS/SSA files go as they are; every
/// other text format (SRT, SAMI, MicroDVD, WebVTT, SubViewer ...) is first decoded here into a
/// temporary ASS file, because the filter opens files without options and fails as a whole when
/// the last packet of a file does not decode (a SAMI file ending in an "&nbsp;" clearing line).
/// That also lets MicroDVD, which counts in frames, use the video's frame rate when the file
/// states none, and be recognised when it is shorter than the three lines FFmpeg probes for.
/// Text that is not UTF-8 is read as Windows-1252, the code page such files were written in.
/// Bitmap formats (VobSub .idx/.sub, PGS .sup) are decoded and blended by the engine, because
/// the subtitles filter cannot draw them.
class SubtitleFile
{
public:
    enum class Kind { Text, Bitmap };

    /// Throws EngineError when the file is missing or holds no subtitles.
    SubtitleFile(const std::string &path, AVRational video_frame_rate);
    ~SubtitleFile();
    SubtitleFile(const SubtitleFile &) = delete;
    SubtitleFile &operator=(const SubtitleFile &) = delete;

    Kind FileKind() const { return m_kind; }
    /// The file to open: for text, what the subtitles filter reads; for VobSub, the .idx.
    const std::string &Path() const { return m_path; }
    /// The text's character set for the subtitles filter, or "" for UTF-8.
    const std::string &Charset() const { return m_charset; }

private:
    void ConvertToAss(const std::string &path, bool micro_dvd, AVRational video_frame_rate);

    Kind m_kind = Kind::Text;
    std::string m_path;
    std::string m_charset;
    std::filesystem::path m_temporary;
};

} // namespace dolmar
