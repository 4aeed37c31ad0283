// SPDX-License-Identifier: GPL-3.0-or-later
#include "CLinkLabel.h"
#include "KitAccessibility.h"
#include "LinkOpener.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>

namespace quillet {

CLinkLabel::CLinkLabel(QWidget *parent)
    : QLabel(parent)
    , m_opener(OpenLinkTarget)
{
    setCursor(Qt::PointingHandCursor);
    InstallKitAccessibility();
}

void CLinkLabel::SetTarget(const QString &target)
{
    m_target = target;
    UpdateTooltip();
}

void CLinkLabel::SetTooltip(const QString &text)
{
    m_tooltip = text;
    UpdateTooltip();
}

void CLinkLabel::UpdateTooltip()
{
    setToolTip(m_tooltip.isEmpty() ? m_target : m_tooltip);
}

void CLinkLabel::SetOpener(Opener opener)
{
    m_opener = opener ? std::move(opener) : Opener(OpenLinkTarget);
}

int CLinkLabel::OpenTarget()
{
    const int code = m_opener(m_target);
    if (code > kLinkOpened)
        return code;
    emit OpenFailed(code);
    QApplication::beep();
    QMessageBox::warning(this, QApplication::applicationDisplayName(), LinkFailureMessage(code));
    return code;
}

void CLinkLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        OpenTarget();
}

void CLinkLabel::enterEvent(QEnterEvent *event)
{
    m_hover.Set(true);
    QLabel::enterEvent(event);
}

void CLinkLabel::leaveEvent(QEvent *event)
{
    m_hover.Set(false);
    QLabel::leaveEvent(event);
}

} // namespace quillet
