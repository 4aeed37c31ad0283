// SPDX-License-Identifier: GPL-3.0-or-later
#include "GalleryWindow.h"

#include "DialogLook.h"
#include "GallerySections.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillet::gallery {

GalleryWindow::GalleryWindow(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Quillet control gallery"));
    setFont(DialogFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, DialogBackground());
    pal.setColor(QPalette::WindowText, LabelText());
    setPalette(pal);
    setAutoFillBackground(true);

    ForcedStates states;
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(14, 12, 14, 12);
    columns->setSpacing(24);

    auto *left = new QVBoxLayout;
    left->setSpacing(14);
    left->addWidget(TextButtonSection(states));
    left->addWidget(PictureButtonSection(states));
    left->addWidget(ColorButtonSection(states));
    left->addWidget(ProgressSection());
    left->addWidget(LinkSection());
    left->addStretch();

    auto *right = new QVBoxLayout;
    right->setSpacing(14);
    right->addWidget(TabSection());
    right->addWidget(ListSection());
    right->addWidget(FolderSection());
    right->addWidget(ArtworkSection());
    right->addStretch();

    columns->addLayout(left);
    columns->addLayout(right);
    m_hovered = states.hovered;
    m_pressed = states.pressed;
}

void GalleryWindow::ForceStates()
{
    for (QWidget *widget : std::as_const(m_hovered)) {
        const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
        QEnterEvent enter(inside, inside, widget->mapToGlobal(inside));
        QCoreApplication::sendEvent(widget, &enter);
    }
    for (QWidget *widget : std::as_const(m_pressed)) {
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setDown(true);
    }
}

} // namespace quillet::gallery
