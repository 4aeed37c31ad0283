/* SPDX-License-Identifier: GPL-3.0-or-later */
/*
 * libSubtitles: the subtitle style editor.
 *
 * The converter loads this library by name each time the user presses "Subtitle style", calls
 * its four entry points in this order and releases it again:
 *
 *     ST_Init(0);
 *     if (ST_GetSubtitleStyleDialog(0, &style, window) == 0)
 *         ST_SetIniSubtitleStyle(&style);
 *     ST_Exit();
 *
 * The dialog starts from the style saved last and shows it over a sample video frame, drawn by
 * the engine's own subtitle burn-in (libavfilter's subtitles filter on libass), so the preview is
 * what a conversion gets. ST_SetIniSubtitleStyle saves the style where the engine reads it
 * ($QUILLET_SUBTITLE_STYLE, else ${XDG_CONFIG_HOME:-~/.config}/quillet/subtitle-style.ini,
 * section [Style]); the next conversion burns text subtitles in it.
 *
 * Every call comes from the caller's user-interface thread, inside a running Qt application.
 * No C++ exception crosses this boundary.
 */
#ifndef SUBTITLES_H
#define SUBTITLES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(SUBTITLES_BUILDING)
#define SUBTITLES_API __attribute__((visibility("default")))
#else
#define SUBTITLES_API
#endif

/* Marks a record the dialog filled ("QSTY"); ST_SetIniSubtitleStyle refuses any other. */
#define ST_STYLE_MAGIC 0x59545351u

/* Results of the entry points. */
enum {
    ST_OK = 0,
    ST_CANCELLED = 1, /* the user closed the dialog without accepting; nothing was written */
    ST_FAILED = -1 /* bad arguments, no running Qt application, or the style file unwritable */
};

/* clang-format off */
/* One subtitle style: 172 bytes, owned by the caller for the length of one edit. Colours are
 * 0xAARRGGBB with AA the opacity (0xFF opaque). Sizes and distances are in the subtitle script's
 * units: text subtitles without a script of their own count 288 units from top to bottom. */
typedef struct StSubtitleStyle {
    uint32_t magic;            /* offset   0: ST_STYLE_MAGIC once filled by the dialog */
    char font_name[96];        /* offset   4: font family, UTF-8, NUL-terminated */
    int32_t font_size;         /* offset 100: 1 to 400 */
    int32_t bold;              /* offset 104: 0 or 1 */
    int32_t italic;            /* offset 108: 0 or 1 */
    uint32_t primary_colour;   /* offset 112: the letters */
    uint32_t outline_colour;   /* offset 116: the outline round the letters */
    uint32_t shadow_colour;    /* offset 120: the drop shadow */
    float outline_width;       /* offset 124: 0 to 20 */
    float shadow_distance;     /* offset 128: 0 to 20 */
    int32_t alignment;         /* offset 132: 1 to 9 as on a numeric keypad (2 = bottom centre) */
    int32_t margin_left;       /* offset 136: 0 to 1000 */
    int32_t margin_right;      /* offset 140: 0 to 1000 */
    int32_t margin_vertical;   /* offset 144: 0 to 1000 */
    unsigned char reserved[24];/* offset 148: zero */
} StSubtitleStyle;
/* clang-format on */

/* Prepares one edit: reads the language the converter shows its windows in. flag must be 0.
 * Returns ST_OK. */
SUBTITLES_API int ST_Init(int flag);

/* Shows the style dialog, modal over window (the native window id of a Qt window, or NULL).
 * style points to a 172-byte StSubtitleStyle; its contents on entry are not read. Returns ST_OK
 * with the chosen style written into *style, ST_CANCELLED when the user cancelled (style
 * untouched), ST_FAILED when it cannot show the dialog. */
SUBTITLES_API int ST_GetSubtitleStyleDialog(int flag, void *style, void *window);

/* Saves the style the dialog filled in, atomically, keeping every other line of the file.
 * Returns ST_OK, or ST_FAILED (nothing changed) for a record the dialog did not fill, a value
 * out of range, or a file that cannot be written. */
SUBTITLES_API int ST_SetIniSubtitleStyle(void *style);

/* Ends the edit begun by ST_Init. Returns ST_OK. */
SUBTITLES_API int ST_Exit(void);

#ifdef __cplusplus
}

static_assert(sizeof(StSubtitleStyle) == 172, "the style record is 172 bytes");
#endif

#endif /* SUBTITLES_H */
