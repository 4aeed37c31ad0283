// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionValues.h"

#include "EngineError.h"
#include "platform/TextCase.h"

extern "C" {
#include <libavutil/parseutils.h>
#include <libavutil/rational.h>
}

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace dolmar {

namespace {

[[noreturn]] void Refuse(std::string_view option, std::string_view text, std::string_view what)
{
    std::string message = "The value ";
    message += Quoted(text);
    message += " of ";
    message += option;
    message += " is not ";
    message += what;
    message += '.';
    ThrowBadArgs(message);
}

} // namespace

int ParseInt(std::string_view option, std::string_view text, int min, int max)
{
    int value = 0;
    const char *begin = text.data();
    const char *end = begin + text.size();
    if (!text.empty() && *begin == '+')
        ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        Refuse(option, text, "a whole number");
    if (value < min || value > max)
        Refuse(option, text, "between " + std::to_string(min) + " and " + std::to_string(max));
    return value;
}

double ParseDouble(std::string_view option, std::string_view text, double min, double max)
{
    // from_chars ignores the process locale: a desktop program runs with the user's LC_NUMERIC,
    // where strtod would stop at the "." of "128.000000". A writer that formatted with a comma
    // under such a locale is understood too.
    std::string copy(text);
    if (copy.find('.') == std::string::npos && std::count(copy.begin(), copy.end(), ',') == 1)
        copy[copy.find(',')] = '.';
    std::string_view digits = copy;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()
        || !std::isfinite(value))
        Refuse(option, text, "a number");
    if (value < min || value > max) {
        char range[80];
        std::snprintf(range, sizeof range, "between %g and %g", min, max);
        Refuse(option, text, range);
    }
    return value;
}

int64_t ParseKbits(std::string_view option, std::string_view text)
{
    // 1e7 kbit/s (10 Gbit/s) is far above any encoder's range and keeps bit/s inside int64.
    const double kbits = ParseDouble(option, text, 0.0, 1e7);
    return static_cast<int64_t>(std::llround(kbits * 1000.0));
}

int64_t ParseTimeUs(std::string_view option, std::string_view text)
{
    const std::string copy(text);
    int64_t us = 0;
    if (copy.empty() || av_parse_time(&us, copy.c_str(), 1) < 0)
        Refuse(option, text, "a time (HH:MM:SS.d or seconds)");
    if (us < 0)
        Refuse(option, text, "a time of zero or more");
    return us;
}

void ParseFrameSize(std::string_view option, std::string_view text, int &width, int &height)
{
    const std::string copy(text);
    int w = 0;
    int h = 0;
    if (copy.empty() || av_parse_video_size(&w, &h, copy.c_str()) < 0) {
        // Pad bands as wide or as tall as the frame leave a picture of no size ("-96x240");
        // say so plainly rather than calling it a typing error.
        char rest = 0;
        if (std::sscanf(copy.c_str(), "%dx%d%c", &w, &h, &rest) == 2 && (w <= 0 || h <= 0))
            ThrowBadArgs("The picture size " + copy + " of " + std::string(option)
                         + " leaves no picture: the bars around it take up the whole frame."
                           " Choose a larger output size or smaller pad bands.");
        Refuse(option, text, "a picture size (WxH or a size name such as cif or hd720)");
    }
    // 16384 is the largest size the common encoders accept; larger is a typing error.
    if (w > 16384 || h > 16384)
        Refuse(option, text, "a picture size up to 16384x16384");
    width = w;
    height = h;
}

FrameRate ParseFrameRate(std::string_view option, std::string_view text)
{
    double fps = 0;
    const auto slash = text.find('/');
    if (slash != std::string_view::npos) {
        const double num = ParseDouble(option, text.substr(0, slash), 1, 1e9);
        const double den = ParseDouble(option, text.substr(slash + 1), 1, 1e9);
        fps = num / den;
    } else if (!text.empty() && std::isalpha(static_cast<unsigned char>(text.front()))) {
        const std::string copy(text);
        AVRational named{0, 1};
        if (av_parse_video_rate(&named, copy.c_str()) < 0 || named.num <= 0 || named.den <= 0)
            Refuse(option, text, "a frame rate");
        fps = av_q2d(named);
    } else {
        fps = ParseDouble(option, text, 0.001, 1000.0);
    }
    if (fps <= 0.0 || fps > 1000.0)
        Refuse(option, text, "a frame rate between 0.001 and 1000");
    // "29.970" comes in as a decimal; the encoders (MPEG-2 for DVD above all) want the exact
    // NTSC fraction 30000/1001, which three decimals only approximate.
    const double ntsc_base = fps * 1.001;
    if (std::fabs(fps - std::round(fps)) > 0.001
        && std::fabs(ntsc_base - std::round(ntsc_base)) < 0.001)
        return FrameRate{static_cast<int>(std::round(ntsc_base)) * 1000, 1001};
    const AVRational rate = av_d2q(fps, 1001000);
    return FrameRate{rate.num, rate.den};
}

double ParseAspect(std::string_view option, std::string_view text)
{
    double aspect = 0;
    const auto colon = text.find_first_of(":/");
    if (colon != std::string_view::npos) {
        const double w = ParseDouble(option, text.substr(0, colon), 0, 1e6);
        const double h = ParseDouble(option, text.substr(colon + 1), 0, 1e6);
        if (w <= 0 || h <= 0)
            Refuse(option, text, "an aspect ratio such as 4:3 or 16:9");
        aspect = w / h;
    } else {
        aspect = ParseDouble(option, text, 0, 1e6);
    }
    if (aspect < 0.1 || aspect > 10.0)
        Refuse(option, text, "an aspect ratio between 0.1 and 10 (such as 4:3 or 16:9)");
    return aspect;
}

uint32_t ParseColor(std::string_view option, std::string_view text)
{
    std::string_view digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    } else if (digits.size() > 1 && digits[0] == '#') {
        digits.remove_prefix(1);
        base = 16;
    }
    uint32_t value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()
        || value > 0xFFFFFFu)
        Refuse(option, text, "a colour 0xRRGGBB");
    return value;
}

std::string ParseFourcc(std::string_view option, std::string_view text)
{
    if (text.empty() || text.size() > 4)
        Refuse(option, text, "a four-character code");
    for (char c : text)
        if (!std::isprint(static_cast<unsigned char>(c)))
            Refuse(option, text, "a four-character code");
    std::string code(text);
    code.resize(4, ' ');
    return code;
}

int ParseStrictness(std::string_view option, std::string_view text)
{
    const std::string name = quillet::platform::ToLower(text);
    if (name == "very")
        return 2;
    if (name == "strict")
        return 1;
    if (name == "normal")
        return 0;
    if (name == "unofficial")
        return -1;
    if (name == "experimental")
        return -2;
    return ParseInt(option, text, -2, 2);
}

std::string ParseKeyValueList(std::string_view option, std::string_view text)
{
    std::string_view rest = text;
    do {
        const std::string_view item = rest.substr(0, rest.find(':'));
        const auto equals = item.find('=');
        if (equals == std::string_view::npos || equals == 0)
            Refuse(option, text, "a list of key=value settings separated by ':'");
        rest.remove_prefix(std::min(rest.size(), item.size() + 1));
    } while (!rest.empty());
    return std::string(text);
}

int ParseCoder(std::string_view option, std::string_view text)
{
    const std::string name = quillet::platform::ToLower(text);
    if (name == "cavlc" || name == "vlc")
        return 0;
    if (name == "cabac" || name == "ac")
        return 1;
    return ParseInt(option, text, 0, 1);
}

} // namespace dolmar
