// SPDX-License-Identifier: GPL-3.0-or-later
#include "HoverState.h"

#include <QWidget>

namespace quillet {

void HoverState::Set(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_control.update();
}

} // namespace quillet
