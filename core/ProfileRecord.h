// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/FixedString.h"

#include <cstdint>
#include <type_traits>

namespace quillet {

/**
 * One profile's settings: a flat, fixed-size value copied whole. Members named after their INI
 * keys are read from and written to the profile's section (ProfileFile); the others are set by
 * the program and never stored in a file. Flags are 0/1 ints.
 */
struct ProfileRecord
{
    // Members that carry an INI key are spelt as the key, in the profile files' own style
    // (bFlag, nNumber, cText, PascalCase texts), so that record and file read alike.
    // NOLINTBEGIN(readability-identifier-naming)
    FixedString<256> profile_path; ///< full path of the INI file the profile came from
    FixedString<256> section_name; ///< the profile's name = its section name
    FixedString<128> FormatName; ///< display name of the output format
    FixedString<128> FormatHint; ///< one-line description of the format
    FixedString<20> TargetType; ///< output extension without the dot
    FixedString<1024> BeforePara; ///< engine options placed before the input
    FixedString<1024> Para; ///< engine options placed after the input (may hold "-fs")
    int32_t bCanBurn = 0; ///< the output suits disc burning (carried only)
    FixedString<10> BurnType; ///< disc type text
    int32_t bDisableAudio = 0;
    int32_t bAudioCustomSampleRate = 0;
    int32_t nAudioCustomSampleRate = 0; ///< Hz
    int32_t bAudioCustomBitRate = 0;
    float nAudioCustomBitRate = 0; ///< kbit/s
    int32_t nAudioChannel = 0; ///< 0 = as the source
    int32_t bAudioCustomVolume = 0;
    int32_t nAudioVolume = 0; ///< 256 = unchanged
    FixedString<20> cAudioCodec;
    int32_t bDisableVideo = 0;
    int32_t bVideoHighQuality = 0;
    int32_t bVideoCustomFrameRate = 0;
    float nVideoCustomFrameRate = 0; ///< frames per second
    int32_t bVideoCustomBitRate = 0;
    int32_t nVideoCustomBitRate = 0; ///< kbit/s
    float nVideoBitRateLevel = 0; ///< bit-rate model: coefficient per pixel
    float nVideoBitRateLevel2 = 0; ///< bit-rate model: squared term
    float nVideoBitRateLevel3 = 0; ///< bit-rate model: constant term
    int32_t estimated_video_bit_rate = 0; ///< kbit/s, computed when applied to a task
    int32_t source_height = 0;
    int32_t source_width = 0;
    float source_display_aspect = 0;
    FixedString<20> cVideoCodec;
    int32_t bVideoEnableCrop = 0;
    int32_t nVideoCropLeft = 0;
    int32_t nVideoCropRight = 0;
    int32_t nVideoCropTop = 0;
    int32_t nVideoCropBottom = 0;
    int32_t bVideoEnablePad = 0;
    int32_t nVideoPadLeft = 0;
    int32_t nVideoPadRight = 0;
    int32_t nVideoPadTop = 0;
    int32_t nVideoPadBottom = 0;
    int32_t nVideoPadColor = 0; ///< 0xRRGGBB
    int32_t nVideoRiszeOption = 0; ///< output size choice 0-11 (the key is spelt this way)
    int32_t nVideoCustomSizeX = 0;
    int32_t nVideoCustomSizeY = 0;
    int32_t nAspect = 0; ///< 0 none, 1 4:3, 2 16:9
    FixedString<1024> PostProcess; ///< command run after each output is made
    // NOLINTEND(readability-identifier-naming)

    friend bool operator==(const ProfileRecord &, const ProfileRecord &) = default;
};

static_assert(std::is_trivially_copyable_v<ProfileRecord>);

} // namespace quillet
