// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/DialogLook.h"

#include "CSkinButton.h"
#include "ColorRef.h"
#include "DialogUnits.h"
#include "SkinImageSet.h"

#include <QPalette>
#include <QWidget>

namespace quillet {

void ApplyDialogLook(QWidget *dialog)
{
    dialog->setFont(DialogUnits::DialogFont());
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(217, 234, 255));
    palette.setColor(QPalette::WindowText, QColor(93, 121, 161));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
}

void SetUpTextButton(CSkinButton *button, const QString &text, const QString &tooltip)
{
    button->SetTextColor(ColorFromRef(kDialogButtonTextColorRef));
    button->SetImages(kDialogTextButtonSet);
    button->setText(text);
    button->SetTooltipText(tooltip);
}

} // namespace quillet
