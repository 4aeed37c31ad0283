// SPDX-License-Identifier: GPL-3.0-or-later
#include "ColourChooser.h"

#include "CColorButton.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include <cmath>

namespace subtitles {

ColourChooser::ColourChooser(const QString &title, const QString &tooltip,
                             const QString &opacity_label, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_rgb(Qt::white)
    , m_button(new quillet::CColorButton(this))
    , m_opacity(new QSpinBox(this))
{
    m_button->setObjectName(QStringLiteral("button"));
    m_opacity->setObjectName(QStringLiteral("opacity"));
    m_button->SetFlat(false);
    m_button->SetTooltipText(tooltip);
    m_button->setFixedSize(44, 22);
    m_opacity->setRange(0, 100);
    m_opacity->setSuffix(QStringLiteral(" %"));
    m_opacity->setValue(100);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_button);
    row->addSpacing(8);
    auto *label = new QLabel(opacity_label, this);
    label->setBuddy(m_opacity);
    row->addWidget(label);
    row->addWidget(m_opacity);
    row->addStretch();

    connect(m_button, &QPushButton::clicked, this, &ColourChooser::Choose);
    connect(m_opacity, &QSpinBox::valueChanged, this, &ColourChooser::Changed);
    ShowColour();
}

QColor ColourChooser::Colour() const
{
    QColor colour = m_rgb;
    colour.setAlpha(static_cast<int>(std::lround(m_opacity->value() * 255.0 / 100.0)));
    return colour;
}

void ColourChooser::SetColour(const QColor &colour)
{
    m_rgb = QColor(colour.red(), colour.green(), colour.blue());
    // Set by the program, not by the user: no change is reported.
    const QSignalBlocker block(m_opacity);
    m_opacity->setValue(static_cast<int>(std::lround(colour.alpha() * 100.0 / 255.0)));
    ShowColour();
}

void ColourChooser::Choose()
{
    QColorDialog dialog(m_rgb, this);
    dialog.setWindowTitle(m_title);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_rgb = dialog.currentColor();
    m_rgb.setAlpha(255);
    ShowColour();
    emit Changed();
}

void ColourChooser::ShowColour()
{
    // The face shows the colour in every state, as the pad colour button does.
    for (int slot :
         {quillet::CColorButton::BackgroundActive, quillet::CColorButton::BackgroundNormal,
          quillet::CColorButton::BackgroundFocus})
        m_button->SetColor(slot, m_rgb);
}

} // namespace subtitles
