/* SPDX-License-Identifier: GPL-3.0-or-later */
/*
 * libveneer: the program's skin.
 *
 * The converter calls two entry points: Nolo_InitSkin once at start-up, before any window
 * exists, and Nolo_AddFilterHook with every dialog window when it is created. From then on the
 * library gives each registered window the skin's look: the background it paints, the colours of
 * its labels and frames, and the dialog font. The windows run unchanged when the library is
 * missing; they only look plainer.
 *
 * A window handle is the address of the window's top-level QWidget. Both entry points are called
 * on the user-interface thread, after the QApplication exists. No C++ exception crosses this
 * boundary.
 */
#ifndef VENEER_H
#define VENEER_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VENEER_BUILDING)
#define VENEER_API __attribute__((visibility("default")))
#else
#define VENEER_API
#endif

/* Results. */
enum { VENEER_OK = 0, VENEER_UNKNOWN_SKIN = -1, VENEER_NOT_READY = -2, VENEER_BAD_WINDOW = -3 };

/*
 * Chooses the skin by name ("tesk_skin" is the program's own). skin_windows non-zero lets the
 * skin paint the background of registered windows; skin_controls non-zero lets it colour their
 * labels and frames and give them the skin's font. An unknown name leaves the skin off.
 */
VENEER_API int Nolo_InitSkin(int skin_windows, int skin_controls, const char *skin_name);

/* Registers a dialog window (its QWidget address) with the skin; its child controls, present and
 * future, are skinned with it. Registering a window twice has no further effect. */
VENEER_API int Nolo_AddFilterHook(void *window);

#ifdef __cplusplus
}
#endif

#endif
