/* SPDX-License-Identifier: GPL-3.0-or-later */
/*
 * libmkvextract: track information and extraction for Matroska files.
 *
 * The converter loads this library by name at start-up and binds the four entry points below;
 * when any is missing it offers no subtitle extraction. Every call comes from the caller's
 * user-interface thread; em_extract reports progress through the callback on that same thread,
 * while it works, so the caller can keep its windows painted. No C++ exception crosses this
 * boundary.
 */
#ifndef MKVEXTRACT_H
#define MKVEXTRACT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(MKVEXTRACT_BUILDING)
#define MKVEXTRACT_API __attribute__((visibility("default")))
#else
#define MKVEXTRACT_API
#endif

/* Track types of EmTrack.type. */
enum { EM_TRACK_VIDEO = 0, EM_TRACK_AUDIO = 1, EM_TRACK_SUBTITLE = 2, EM_TRACK_OTHER = 3 };

/* One track of a Matroska file. The first three members are what callers rely on. */
typedef struct EmTrack
{
    int32_t number; /* the track's id, as extraction requests name it */
    int32_t type; /* EM_TRACK_* */
    char codec[64]; /* the Matroska codec id, e.g. "S_TEXT/UTF8", "S_TEXT/ASS", "S_VOBSUB" */
    char language[16]; /* e.g. "eng", "und"; empty when unknown */
    char name[128]; /* the track's title; empty when none */
} EmTrack;

/* The tracks of a file, in file order; allocated by em_gettrackinfo. */
typedef struct EmTrackInfo
{
    int32_t count;
    EmTrack **tracks;
} EmTrackInfo;

/* One track to extract and the file it goes to. A VobSub track named "x.idx" also gives "x.sub".
 * em_extract writes the name the track went to back into output_path (see there). */
typedef struct EmExtractItem
{
    char output_path[1024];
    int32_t track;
} EmExtractItem;

typedef struct EmExtractRequest
{
    int32_t count;
    EmExtractItem *items;
} EmExtractRequest;

/* Progress while extracting: percent 0-100 and a line of text for the user. Return 0. */
typedef int (*EmProgressFunc)(int percent, const char *message);

/* Reads the tracks of path as mkvmerge -J reports them: from the file's own structure where that
 * is sure to give mkvmerge's answer, else with mkvmerge. Returns 0 and sets *info on success; a
 * negative value (and *info NULL) when the file cannot be read or is not a Matroska file: -1 for
 * a null or empty argument, -2 for a missing file, no regular file, a file mkvmerge does not take
 * for Matroska or WebM, a file that ends inside its track list, or a file that needs mkvmerge
 * when mkvmerge is not found on PATH. A file cut later (among its clusters) still lists its
 * tracks; em_extract reports the cut. */
MKVEXTRACT_API int em_gettrackinfo(const char *path, EmTrackInfo **info);

/* Extracts the requested tracks of path with one run of mkvextract. Returns 0 when every output
 * was written, a negative value otherwise: -1 for a malformed request, -2 when path cannot be
 * identified as Matroska, -3 when the request is refused before anything is written (an unknown
 * track, a missing output folder, an output that is the source or that two tracks would write, a
 * name that is not UTF-8), when mkvextract fails, when an output is missing afterwards, or when
 * the source ends early so the outputs are incomplete.
 * Outputs are written under working names in a hidden folder (".mkvextract.part-XXXXXX") inside
 * their output folder and get their final names only when all of them are complete, so a failed
 * or killed extraction leaves no file under a final name. An existing file is never replaced:
 * when a name is taken, the track goes to the first free "<stem> (N)<ending>" ("movie_0 (1).srt";
 * a VobSub pair to the first N free for both its .idx and .sub), and that name is written back
 * into the item's output_path. An output folder is never created. Progress reaches the callback
 * as strictly rising percents starting at 0; 100 comes once, and only on success. An empty
 * request returns 0. */
MKVEXTRACT_API int em_extract(const char *path, const EmExtractRequest *request);

/* Releases what em_gettrackinfo allocated; NULL is allowed. */
MKVEXTRACT_API void em_freetrackinfo(EmTrackInfo *info);

/* Sets the progress function for later extractions (NULL: none). The message names the source
 * file ("Extracting subtitles from movie.mkv"); the return value is ignored. */
MKVEXTRACT_API void em_setcallbackfunc(EmProgressFunc callback);

#ifdef __cplusplus
}
#endif

#endif /* MKVEXTRACT_H */
