// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/WaitWindowModel.h"

#include <algorithm>

namespace quillet {

WaitWindowModel::Changes WaitWindowModel::Update(int percent, std::string_view text)
{
    Changes changes;
    percent = std::clamp(percent, 0, 100);
    if (percent != m_position) {
        m_position = percent;
        m_percent_text = std::to_string(percent) + " %";
        changes.percent = true;
    }
    m_message = std::string(text);
    changes.message = true;
    return changes;
}

} // namespace quillet
