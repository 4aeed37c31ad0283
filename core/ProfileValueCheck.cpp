// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProfileValueCheck.h"

#include "core/RunTexts.h"

#include <cstdio>

namespace quillet {

std::string RefusedProfileValue(const ProfileRecord &profile, const Texts &texts)
{
    // The rate is used only when the profile asks for a rate of its own.
    const double rate = static_cast<double>(profile.nVideoCustomFrameRate);
    // Written so that NaN (a file holding "nan") is refused too.
    if (!profile.bVideoCustomFrameRate || profile.bDisableVideo
        || (rate >= kLowestProfileFrameRate && rate <= kHighestProfileFrameRate))
        return {};
    char value[32];
    std::snprintf(value, sizeof value, "%g", rate);
    const std::string format
        = texts.LookupFormat(run_texts::kSection, run_texts::kFrameRateRefused.key,
                             run_texts::kFrameRateRefused.default_text);
    return FormatText(format, value, profile.section_name.c_str());
}

} // namespace quillet
