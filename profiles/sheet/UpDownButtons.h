// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace quillet {

/**
 * A pair of small arrow buttons that step the integer in a buddy edit within a range, as the
 * volume edit's spin buttons do. The buddy stays a plain edit, so whatever is typed into it is
 * checked when the page is read, not silently corrected. The Up and Down keys in the buddy step
 * it too.
 */
class UpDownButtons : public QWidget
{
    Q_OBJECT

public:
    UpDownButtons(QLineEdit *buddy, int min, int max, QWidget *parent = nullptr);

    void SetRange(int min, int max);
    /// Steps the buddy's value by delta: a value that is not an integer, or lies outside the
    /// range, starts from the nearer end of the range.
    void Step(int delta);

    QToolButton *UpButton() const { return m_up; }
    QToolButton *DownButton() const { return m_down; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_buddy;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_min;
    int m_max;
};

} // namespace quillet
