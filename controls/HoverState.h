// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace quillet {

/**
 * Whether the pointer is over a self-drawn control, as the control's enter, move, leave and
 * press events report it: the control is painted again when, and only when, the state changes.
 * Each control decides in its handlers when hovering starts (a flat button only, not while a
 * press from elsewhere is held, ...); this keeps the state and the repainting in one place.
 */
class HoverState
{
public:
    explicit HoverState(QWidget &control)
        : m_control(control)
    { }

    bool Hovering() const { return m_hovering; }
    /// Sets the state, repainting the control when it changed.
    void Set(bool hovering);

private:
    QWidget &m_control;
    bool m_hovering = false;
};

} // namespace quillet
