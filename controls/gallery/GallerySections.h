// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class QWidget;

namespace quillet::gallery {

/// Widgets a section wants shown hovered or held down.
struct ForcedStates
{
    QList<QWidget *> hovered;
    QList<QWidget *> pressed;
};

QWidget *TextButtonSection(ForcedStates &states);
QWidget *PictureButtonSection(ForcedStates &states);
QWidget *ColorButtonSection(ForcedStates &states);
QWidget *ProgressSection();
QWidget *LinkSection();
QWidget *TabSection();
QWidget *ListSection();
QWidget *FolderSection();
QWidget *ArtworkSection();

} // namespace quillet::gallery
