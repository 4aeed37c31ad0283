// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace quillet {

class CSkinButton;

/**
 * The look the program's dialogs share: the dialog font (Verdana 8 or its stand-in), the light
 * blue background RGB(217, 234, 255) and labels in RGB(93, 121, 161). The subtitle windows and
 * the subtitle style library's dialog use it, so a dialog opened from the library looks like
 * the program's own.
 */
void ApplyDialogLook(QWidget *dialog);

/// A captioned dialog button: the standard image set (266 to 269), the dark red caption, its
/// text and its tooltip.
void SetUpTextButton(CSkinButton *button, const QString &text, const QString &tooltip);

} // namespace quillet
