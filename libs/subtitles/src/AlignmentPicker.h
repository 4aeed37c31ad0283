// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QButtonGroup;
class QRadioButton;

namespace subtitles {

/// Where the subtitle sits in the picture: nine choices laid out as the numeric keypad that
/// names them (7 top left, 2 bottom centre, 9 top right).
class AlignmentPicker : public QWidget
{
    Q_OBJECT

public:
    explicit AlignmentPicker(QWidget *parent = nullptr);

    /// 1 to 9.
    int Alignment() const;
    void SetAlignment(int alignment);
    /// The choice for alignment (1 to 9).
    QRadioButton *Choice(int alignment) const;

signals:
    void Changed();

private:
    QButtonGroup *m_group;
};

} // namespace subtitles
