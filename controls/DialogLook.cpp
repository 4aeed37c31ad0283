// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QStyle>
#include <QWidget>

namespace quillet {

QString DialogFontFamily()
{
    static const QString kVerdana = QStringLiteral("Verdana");
    return QFontDatabase::hasFamily(kVerdana) ? kVerdana : QStringLiteral("DejaVu Sans");
}

QFont DialogFont()
{
    QFont font(DialogFontFamily());
    font.setPointSize(8);
    return font;
}

QPalette DialogPalette()
{
    QPalette light = QApplication::style()->standardPalette();
    light.setColor(QPalette::Window, DialogBackground());
    light.setColor(QPalette::WindowText, Qt::black);
    return light;
}

void UseDialogPalette()
{
    QApplication::setPalette(DialogPalette());
}

void ApplyDialogLook(QWidget *dialog)
{
    dialog->setFont(DialogFont());
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, DialogBackground());
    palette.setColor(QPalette::WindowText, LabelText());
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
}

void ApplyLabelLook(QWidget *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, LabelText());
    label->setPalette(palette);
    label->setAutoFillBackground(false);
}

} // namespace quillet
