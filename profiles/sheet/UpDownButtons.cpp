// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/UpDownButtons.h"

#include "controls/DataExchange.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace quillet {

UpDownButtons::UpDownButtons(QLineEdit *buddy, int min, int max, QWidget *parent)
    : QWidget(parent)
    , m_buddy(buddy)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
    , m_min(min)
    , m_max(max)
{
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    // Readers say these signs in every language; the edit's own Up and Down keys do the same.
    m_up->setAccessibleName(QStringLiteral("+"));
    m_down->setAccessibleName(QString(QChar(0x2212)));
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
    m_buddy->installEventFilter(this);
}

void UpDownButtons::SetRange(int min, int max)
{
    m_min = std::min(min, max);
    m_max = std::max(min, max);
}

void UpDownButtons::Step(int delta)
{
    int value = 0;
    if (!DataExchange::ParseInteger(m_buddy->text(), value) || value < m_min)
        value = m_min;
    else if (value > m_max)
        value = m_max;
    else
        value = std::clamp(value + delta, m_min, m_max);
    m_buddy->setText(QString::number(value));
}

void UpDownButtons::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

bool UpDownButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress && m_buddy->isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quillet
