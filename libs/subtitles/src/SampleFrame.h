// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

namespace subtitles {

/// The still picture the preview draws subtitles on: an evening landscape with bright sky and
/// dark ground, so that letters, outline and shadow all show against something.
QImage PaintSampleFrame(QSize size);

} // namespace subtitles
