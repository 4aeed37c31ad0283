// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

/**
 * The texts a conversion run shows in the user's language: the list of files that could not be
 * converted and the reasons the driver itself gives. Their keys live in the language files'
 * CONVERSION_RUN section; the catalogue (texts/LanguageKeys.h) lists these entries, so the English
 * texts are written here only.
 *
 * Not here, because they are fixed English texts by design: the disc-size message
 * (ConversionDriver::kDiscTooSmall) and the three messages of the merge check.
 */
namespace quillet::run_texts {

/// A language-file key and the English text that stands in when no language file has it.
struct RunText
{
    std::string_view key;
    std::string_view default_text;
};

inline constexpr std::string_view kSection = "CONVERSION_RUN";

/// Opens the one message that lists the failed files, one "name: reason" line each.
inline constexpr RunText kFailedFiles{"strFailedFilesInfo", "These files could not be converted:"};
/// The engine reported success but no output file is there.
inline constexpr RunText kNoOutputWritten{"strNoOutputWrittenInfo", "no output file was written"};
/// The engine failed without a message of its own; %d is its result.
inline constexpr RunText kEngineResult{"strEngineResultInfo",
                                       "the conversion failed (engine result %d)"};
/// The output was made but its post-processing program could not be started; %s says why.
inline constexpr RunText kPostProcessNotRun{
    "strPostProcessNotRunInfo", "converted, but the post-processing command did not run: %s"};
/// The output was made but its post-processing program failed; %d is its exit status.
inline constexpr RunText kPostProcessFailed{
    "strPostProcessFailedInfo", "converted, but the post-processing command failed (status %d)"};
/// The source was cut short, removed or rewritten while the engine read it.
inline constexpr RunText kSourceChanged{"strSourceChangedInfo",
                                        "the file changed while it was converted"};
/// The profile's custom frame rate is out of range; the value as text, then the profile's name.
inline constexpr RunText kFrameRateRefused{
    "strFrameRateRefusedInfo",
    "the value \"%s\" of nVideoCustomFrameRate in the profile \"%s\" is not a frame rate "
    "between 1 and 1000"};

} // namespace quillet::run_texts
