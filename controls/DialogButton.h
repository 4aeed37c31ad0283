// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quillet {

class CSkinButton;

/// A captioned dialog button in the dialogs' look: the standard image set (266 to 269) and the
/// dark red caption.
void ApplyDialogButtonLook(CSkinButton *button);

/// As ApplyDialogButtonLook, with its caption and its tooltip.
void SetUpTextButton(CSkinButton *button, const QString &text, const QString &tooltip);

} // namespace quillet
