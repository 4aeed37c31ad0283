// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Skin.h"

#include <QObject>

class QWidget;

namespace quillet::veneer {

/**
 * Skins one registered window: watches the window and every widget inside it, skins each widget
 * when it is polished (so controls added later are skinned too) and paints the window's
 * background before the window paints itself. Owned by the window.
 */
class SkinFilter : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *kObjectName = "veneer_skin_filter";

    SkinFilter(QWidget *window, SkinChoice choice);

    /// Skins one widget of the window (labels and frames get the skin's colours).
    void SkinWidget(QWidget *widget) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Watch(QWidget *widget);
    void PaintBackground(QWidget *window, const QRect &area) const;

    QWidget *m_window;
    SkinChoice m_choice;
};

} // namespace quillet::veneer
