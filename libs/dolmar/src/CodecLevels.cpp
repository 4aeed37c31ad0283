// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodecLevels.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace dolmar::codec_levels {

int64_t HevcLumaSampleRate(std::string_view level)
{
    const std::string text(level);
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !(value > 0))
        return 0;
    // "51" and "5.1" name the same level, as x265 reads them; "5" is 5.0.
    const long tenths = text.find('.') != std::string::npos || value < 10 ? std::lround(value * 10)
                                                                          : std::lround(value);
    struct Level
    {
        long tenths;
        int64_t luma_samples_per_s;
    };
    static constexpr Level kLevels[] = {
        {10, 552'960},       {20, 3'686'400},     {21, 7'372'800},     {30, 16'588'800},
        {31, 33'177'600},    {40, 66'846'720},    {41, 133'693'440},   {50, 267'386'880},
        {51, 534'773'760},   {52, 1'069'547'520}, {60, 1'069'547'520}, {61, 2'139'095'040},
        {62, 4'278'190'080},
    };
    for (const Level &l : kLevels)
        if (l.tenths == tenths)
            return l.luma_samples_per_s;
    return 0;
}

} // namespace dolmar::codec_levels
