// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CutRule.h"

#include "core/SizeModel.h"
#include "core/SizeTexts.h"

#include <algorithm>

namespace quillet::sizing {

double CutToleranceS(double source_s, double frame_rate)
{
    const double pictures = frame_rate > 0 ? 2.0 / frame_rate : 0;
    return std::max({kCutToleranceS, pictures, kCutToleranceShare * source_s});
}

bool IsCut(const OutputFacts &facts)
{
    if (facts.limit_kib <= 0)
        return false;
    const double limit_bytes = static_cast<double>(facts.limit_kib) * 1024.0;
    if (static_cast<double>(facts.size_bytes) < kCutNearLimitShare * limit_bytes)
        return false;
    return facts.kept_s < facts.source_s - CutToleranceS(facts.source_s, facts.frame_rate);
}

std::string CutOutputPath(const std::string &final_path, unsigned n)
{
    const std::size_t slash = final_path.rfind('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = final_path.rfind('.');
    // A dot in a folder's name, or one that only starts the file name, marks no extension.
    if (dot == std::string::npos || dot <= name_start)
        dot = final_path.size();
    std::string path = final_path.substr(0, dot) + " (cut)";
    if (n > 0)
        path += " (" + std::to_string(n) + ")";
    path += final_path.substr(dot);
    return path;
}

std::string CutText(const Texts &texts, const OutputFacts &facts)
{
    const auto &text = size_texts::kOutputCut;
    const std::string limit = FormatSplitSize(static_cast<double>(facts.limit_kib) * 1024.0);
    return FormatText(texts.LookupFormat(size_texts::kSection, text.key, text.default_text),
                      limit.c_str(), facts.kept_s, facts.source_s);
}

} // namespace quillet::sizing
