// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"

#include <cstdint>
#include <string>
#include <string_view>

// Strict readers for option values. Each takes the option's name so that a refusal names it;
// each throws EngineError(BadArgs) rather than returning a half-read number.

namespace dolmar {

/// A whole decimal number in [min, max]; "12abc" and "" are refused.
int ParseInt(std::string_view option, std::string_view text, int min, int max);

/// A decimal number in [min, max], fractions allowed ("128.000000").
double ParseDouble(std::string_view option, std::string_view text, double min, double max);

/// A rate in kbit/s (fractions allowed), returned in bit/s.
int64_t ParseKbits(std::string_view option, std::string_view text);

/// A duration "HH:MM:SS.d", "MM:SS" or seconds, returned in microseconds; never negative.
int64_t ParseTimeUs(std::string_view option, std::string_view text);

/// A picture size: "WxH" or a name (sqcif, qcif, cif, 4cif, vga, hd720, pal, ntsc ...).
void ParseFrameSize(std::string_view option, std::string_view text, int &width, int &height);

/// "25", "29.970", "30000/1001" or a name (ntsc, pal, film).
FrameRate ParseFrameRate(std::string_view option, std::string_view text);

/// "4:3", "16:9", any "W:H" or a decimal ratio.
double ParseAspect(std::string_view option, std::string_view text);

/// "0xRRGGBB" (also "#RRGGBB" or a decimal number).
uint32_t ParseColor(std::string_view option, std::string_view text);

/// A four-character code of 1 to 4 printable characters, padded with spaces.
std::string ParseFourcc(std::string_view option, std::string_view text);

/// A strictness level: a number from -2 to 2 or a name (very, strict, normal, unofficial,
/// experimental).
int ParseStrictness(std::string_view option, std::string_view text);

/// A coder for -coder: 0/1 or cavlc, cabac, vlc, ac.
int ParseCoder(std::string_view option, std::string_view text);

/// "key=value:key=value" as libx264 takes its raw settings. libx264 drops the whole list without
/// a word when one item is not key=value, so such a list is refused here.
std::string ParseKeyValueList(std::string_view option, std::string_view text);

} // namespace dolmar
