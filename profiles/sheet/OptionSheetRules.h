// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/**
 * The option sheet edits one task's profile: the profile settings command (ProfileSettingsCommand)
 * loads the main window's current ProfileRecord into the four pages of CExPropertySheet (Audio,
 * Video, Resize, Crop & Pad), and after OK copies the pages back into that record and into the
 * selected task, then saves the profile in place or, through CNewProfileDlg, under a new name.
 * The sheet never touches a file itself; saving goes through ProfileFile and DefaultProfileStore.
 *
 * This header holds the rules of the sheet that need no window: the fixed codec and size lists,
 * how a stored codec name finds its list item, the default video bit rate the Video page shows,
 * the pad colour's text, what a new profile name may be, and how the result reaches the task.
 */

#include "core/ProfileRecord.h"
#include "texts/LanguageKeys.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

struct Task;

namespace sheet {

/// The Audio page's codec list, in list order. Codec names are not translated.
inline constexpr std::array<std::string_view, 44> kAudioCodecs
    = {"auto",          "aac",           "ac3",           "amr_nb",       "amr_wb",
       "gsm",           "mp2",           "mp3",           "vorbis",       "adpcm_ima_qt",
       "adpcm_ima_wav", "adpcm_ima_dk3", "adpcm_ima_dk4", "adpcm_ima_ws", "adpcm_ima_smjpeg",
       "adpcm_ms",      "adpcm_4xm",     "adpcm_xa",      "adpcm_adx",    "adpcm_ea",
       "adpcm_g726",    "adpcm_ct",      "adpcm_swf",     "adpcm_yamaha", "pcm_s32le",
       "pcm_s32be",     "pcm_u32le",     "pcm_u32be",     "pcm_s24le",    "pcm_s24be",
       "pcm_u24le",     "pcm_u24be",     "pcm_s24daud",   "pcm_s16le",    "pcm_s16be",
       "pcm_u16le",     "pcm_u16be",     "pcm_s8",        "pcm_u8",       "pcm_alaw",
       "pcm_mulaw",     "opus",          "flac",          "alac"};

/// The Video page's codec list, in list order.
inline constexpr std::array<std::string_view, 36> kVideoCodecs = {
    "auto",     "dvvideo", "h261",       "h263",       "h263p", "h264",      "huffyuv",   "flv",
    "ljpeg",    "mjpeg",   "mpeg1video", "mpeg2video", "mpeg4", "msmpeg4v1", "msmpeg4v2", "msmpeg4",
    "rawvideo", "rv10",    "rv20",       "svq1",       "wmv1",  "wmv2",      "xvid",      "asv1",
    "asv2",     "zlib",    "pam",        "pbm",        "pgm",   "pgmyuv",    "png",       "ppm",
    "hevc",     "vp9",     "av1",        "ffv1"};

/// The audio channel list's texts; the index is the stored channel count (0 keeps the source's).
inline constexpr std::array<const LanguageKey *, 3> kAudioChannels
    = {&CataloguedKey("OPTION_AUDIO_DLG", "strChannelAutoInfo"),
       &CataloguedKey("OPTION_AUDIO_DLG", "strChannelMonoInfo"),
       &CataloguedKey("OPTION_AUDIO_DLG", "strChannelStereoInfo")};

/// Size choices of the Resize page, by stored value.
inline constexpr int kOriginalSize = 0;
inline constexpr int kCustomSize = 9;
inline constexpr int kSizeChoices = 12;

/// Labels of the size radios by stored value; the two empty ones ("Original size", "Custom
/// size") come from the language file, the others are fixed.
inline constexpr std::array<std::string_view, kSizeChoices> kFixedSizeLabels
    = {"",           "SQCIF (128 x 96)", "QCIF (176 x 144)", "CIF (352 x 288)", "4CIF (704 x 576)",
       "320 x 240",  "640 x 480",        "720 x 480",        "720 x 576",       "",
       "1280 x 768", "1920 x 1080"};

/// The pad colour a page shows before a record is loaded, 0xRRGGBB.
inline constexpr int32_t kInitialPadColor = 0x060606;

/**
 * The list item a stored codec name selects: the first item whose whole text equals the name
 * ignoring case; the first item ("auto") when none does, even when the name begins several
 * items (e.g. "adpcm").
 */
int SelectCodecIndex(std::span<const std::string_view> items, std::string_view codec);

/// An output picture size in pixels.
struct FrameSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const FrameSize &, const FrameSize &) = default;
};

/**
 * The output size of a size choice as the Video page uses it: the source's size for 0, the
 * custom size for 9 (both as they stand), the named sizes for the others; nothing when no size
 * is chosen (-1) or the choice is unknown.
 */
std::optional<FrameSize> OutputSizeOfChoice(int choice, FrameSize custom, FrameSize source);

/// The Video page's default bit rate for the output size: the converter's one rule
/// (core/FrameSizes.h).
int DefaultVideoBitRate(float q1, float q2, float q3, FrameSize size);

/**
 * The constant quality a profile's engine options ask for instead of a bit rate ("CRF 23" for
 * -crf 23, "q 4" for -qscale 4 or -q:v 4), the last one given; empty when they ask for none. The
 * Video page shows it where a rate-less profile would otherwise show a default of 0 kbit/s.
 */
std::string QualitySetting(std::string_view options);

/// The pad colour as the page shows it: "0x" and the red, green and blue bytes of 0xRRGGBB in
/// upper-case hexadecimal ("0x060606").
std::string PadColorText(int32_t rgb);

/// Why a name typed into the naming dialog cannot name a profile.
enum class NameRefusal {
    None, ///< the name can be used
    Blank, ///< empty, or blanks only
    Unstorable, ///< holds a character a section name cannot hold (']', a line break)
};

/// The name as it is stored: without blanks at either end, as the profile file keeps names.
std::string TrimmedProfileName(std::string_view name);

/// Whether name (trimmed) can name a profile.
NameRefusal RefusalOfName(std::string_view name);

/// Every section name of a profile file, however long the list (a missing file has none).
std::vector<std::string> SectionNamesOf(const std::filesystem::path &file);

/// Whether a section of that name (ignoring case) is among sections.
bool NameTaken(std::string_view name, const std::vector<std::string> &sections);

/**
 * The sheet's result reaching the task: the task takes the whole record, then its own source
 * size again, and its estimated video bit rate is worked out afresh from the new settings (as
 * applying a profile does).
 */
void ApplySheetResultToTask(Task &task, const ProfileRecord &current);

} // namespace sheet
} // namespace quillet
