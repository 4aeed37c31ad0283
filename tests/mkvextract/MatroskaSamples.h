// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mkvextract_test {

/// Matroska files made once per test run with ffmpeg and mkvmerge.
struct MatroskaSamples
{
    quillet::test::TempDir dir;
    /// Track 0 video (MPEG-4), 1 audio (AAC), 2 SRT (eng, named "English text"),
    /// 3 ASS (fre), 4 VobSub (ger).
    std::filesystem::path full;
    /// full's first four tracks, the SRT track named kLongName.
    std::filesystem::path long_name;
    /// Video (MPEG-4), AC-3 audio and an SRT track: mkvmerge checks AC-3 tracks against their
    /// first frames, so the in-process reader leaves this file to it.
    std::filesystem::path needs_mkvmerge;
};

/// A track name longer than the 128-byte field, with two-byte characters at the cut.
extern const std::string kLongName;

const MatroskaSamples &Samples();

/// Runs a tool of the sample recipes (ffmpeg, mkvmerge); throws with its output when it fails.
void RunTool(const std::vector<std::string> &argv);

/// Copies the first length bytes of from into to.
std::filesystem::path CutCopy(const std::filesystem::path &from, const std::filesystem::path &to,
                              std::size_t length);

/// The offset of the first occurrence of bytes in the file, or npos.
std::size_t FindBytes(const std::filesystem::path &file, std::string_view bytes);

} // namespace mkvextract_test
