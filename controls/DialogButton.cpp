// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogButton.h"

#include "CSkinButton.h"
#include "ColorRef.h"
#include "SkinImageSet.h"

namespace quillet {

void ApplyDialogButtonLook(CSkinButton *button)
{
    button->SetImages(kDialogTextButtonSet);
    button->SetTextColor(ColorFromRef(kDialogButtonTextColorRef));
}

void SetUpTextButton(CSkinButton *button, const QString &text, const QString &tooltip)
{
    ApplyDialogButtonLook(button);
    button->setText(text);
    button->SetTooltipText(tooltip);
}

} // namespace quillet
