// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace quillet::gallery {

/// One window showing every control of the kit, with hover, pressed, checked, disabled and
/// focused states set up side by side.
class GalleryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget *parent = nullptr);

    /// Puts the controls that show a state only under the mouse into that state, so a still
    /// picture of the window shows them.
    void ForceStates();

private:
    QList<QWidget *> m_hovered;
    QList<QWidget *> m_pressed;
};

} // namespace quillet::gallery
