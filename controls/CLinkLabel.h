// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HoverState.h"
#include <QLabel>

#include <functional>

namespace quillet {

/// A label (usually showing a picture) that opens a web address or a file when clicked, with
/// the link hand cursor and a tooltip. When the target cannot be opened it beeps and explains
/// why in a warning box.
class CLinkLabel : public QLabel
{
    Q_OBJECT

public:
    /// Opens a target; returns a code above 32 on success, else the failure's code (see
    /// LinkOpener.h). Replaceable so the failure path can be exercised.
    using Opener = std::function<int(const QString &target)>;

    explicit CLinkLabel(QWidget *parent = nullptr);

    /// The address or file to open; also the tooltip while no tooltip text is set.
    void SetTarget(const QString &target);
    QString Target() const { return m_target; }
    void SetTooltip(const QString &text);
    QString TooltipText() const { return m_tooltip; }

    void SetOpener(Opener opener);

    bool IsHovering() const { return m_hover.Hovering(); }

    /// Opens the target as a click does, reporting a failure to the user.
    /// @return the opener's code.
    int OpenTarget();

signals:
    /// The target could not be opened; code is the cause.
    void OpenFailed(int code);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void UpdateTooltip();

    QString m_target;
    QString m_tooltip;
    Opener m_opener;
    HoverState m_hover{*this};
    bool m_pressed = false;
};

} // namespace quillet
