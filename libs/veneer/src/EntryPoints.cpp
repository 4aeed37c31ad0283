// SPDX-License-Identifier: GPL-3.0-or-later
// The library's C entry points. Nothing thrown inside may leave through them.
#include "veneer.h"

#include "Skin.h"
#include "SkinFilter.h"

#include <QApplication>
#include <QWidget>

using namespace quillet::veneer;

extern "C" VENEER_API int Nolo_InitSkin(int skin_windows, int skin_controls, const char *skin_name)
{
    try {
        const Skin *skin = skin_name ? FindSkin(skin_name) : nullptr;
        CurrentSkin() = {skin, skin && skin_windows != 0, skin && skin_controls != 0};
        return skin ? VENEER_OK : VENEER_UNKNOWN_SKIN;
    } catch (...) {
        return VENEER_NOT_READY;
    }
}

extern "C" VENEER_API int Nolo_AddFilterHook(void *window)
{
    try {
        const SkinChoice choice = CurrentSkin();
        if (!choice.skin || !qApp)
            return VENEER_NOT_READY;
        auto *widget = static_cast<QWidget *>(window);
        if (!widget)
            return VENEER_BAD_WINDOW;
        if (widget->findChild<SkinFilter *>(QLatin1String(SkinFilter::kObjectName),
                                            Qt::FindDirectChildrenOnly))
            return VENEER_OK;
        new SkinFilter(widget, choice);
        return VENEER_OK;
    } catch (...) {
        return VENEER_NOT_READY;
    }
}
