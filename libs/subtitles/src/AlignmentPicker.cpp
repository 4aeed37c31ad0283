// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlignmentPicker.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QRadioButton>

namespace subtitles {

AlignmentPicker::AlignmentPicker(QWidget *parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    // Keypad rows from the top: 7 8 9, 4 5 6, 1 2 3.
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const int alignment = (2 - row) * 3 + column + 1;
            auto *choice = new QRadioButton(frame);
            choice->setObjectName(QStringLiteral("alignment%1").arg(alignment));
            m_group->addButton(choice, alignment);
            grid->addWidget(choice, row, column, Qt::AlignCenter);
        }
    }
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame, 0, 0, Qt::AlignLeft);
    SetAlignment(2);
    connect(m_group, &QButtonGroup::idClicked, this, &AlignmentPicker::Changed);
}

int AlignmentPicker::Alignment() const
{
    const int id = m_group->checkedId();
    return id >= 1 ? id : 2;
}

void AlignmentPicker::SetAlignment(int alignment)
{
    if (QRadioButton *choice = Choice(alignment))
        choice->setChecked(true);
}

QRadioButton *AlignmentPicker::Choice(int alignment) const
{
    return qobject_cast<QRadioButton *>(m_group->button(alignment));
}

} // namespace subtitles
