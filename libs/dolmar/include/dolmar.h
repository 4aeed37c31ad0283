/* SPDX-License-Identifier: GPL-3.0-or-later */
/*
 * libdolmar: the conversion engine.
 *
 * The converter drives the engine only through these plain C entry points. A conversion is one
 * synchronous ffmain() call with an argument vector in the style of a classic command-line
 * transcoder; the engine reports progress and errors through the caller's ProgressCallback.
 * Probing fills the two flat records below, whose byte layouts are fixed and shared with callers.
 *
 * A program with one user-interface thread calls everything from it, as the converter does. The
 * engine keeps no state between calls beyond VCInit's, so ffmain and GetMediaFileInfo may also
 * run on several threads at once, each call a conversion or probe of its own: ffmain calls its
 * callback only on the thread that called it (so a callback can tell its run by its thread), and
 * EnableDshow applies to the next ffmain on the same thread. VCInit and VCExit are for the whole
 * process, once, with no conversion running. No C++ exception ever crosses this boundary. How the
 * engine is built inside: src/Transcoder.h; its threads: src/Scheduler.h.
 */
#ifndef DOLMAR_H
#define DOLMAR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(DOLMAR_BUILDING)
#define DOLMAR_API __attribute__((visibility("default")))
#else
#define DOLMAR_API
#endif

/* The records are packed to 4 bytes: MediaContext is 556 bytes, which is not a multiple of the
 * 8-byte alignment its int64 fields would otherwise impose. */
#pragma pack(push, 4)

/* The records keep their offset table aligned. */
/* clang-format off */
/* What GetMediaFileInfo reports about a whole file. 556 bytes. */
typedef struct MediaContext {
    char file_name[256];          /* offset 0: the file name as the engine opened it */
    int64_t duration_us;          /* offset 256: duration, microseconds */
    int64_t start_time_us;        /* offset 264: start time, microseconds */
    int32_t bit_rate;             /* offset 272: overall bit rate, bit/s */
    int32_t stream_count;         /* offset 276: number of streams */
    int32_t audio_stream_count;   /* offset 280: number of audio streams */
    unsigned char engine_a[256];  /* offset 284: the engine's own */
    int32_t video_stream_index;   /* offset 540: index of the video stream, -1 if none */
    unsigned char engine_b[12];   /* offset 544: the engine's own */
} MediaContext;

/* Stream kinds of StreamInfo.kind. Subtitle, data and every other kind report DOLMAR_KIND_OTHER,
 * so that array positions stay the source's own stream indexes. */
enum { DOLMAR_KIND_VIDEO = 0, DOLMAR_KIND_AUDIO = 1, DOLMAR_KIND_OTHER = 2 };

/* One stream of a probed file. 284 bytes; GetMediaFileInfo returns them in stream order. */
typedef struct StreamInfo {
    int32_t kind;                 /* offset 0: DOLMAR_KIND_* */
    char description[256];        /* offset 4: one line a user can read */
    int32_t height;               /* offset 260: picture height (video) */
    int32_t width;                /* offset 264: picture width (video) */
    float display_aspect;         /* offset 268: display aspect ratio (video), 0 when none */
    unsigned char engine[12];     /* offset 272: the engine's own */
} StreamInfo;
/* clang-format on */

#pragma pack(pop)

/* clang-format off */
/* Results of ffmain. */
enum {
    DOLMAR_OK = 0,
    DOLMAR_FAILED = -1,   /* the conversion failed; the callback was told why */
    DOLMAR_STOPPED = -2,  /* the callback asked to stop; the output was closed properly */
    DOLMAR_BAD_ARGS = -3  /* the argument vector was refused; the callback was told why */
};
/* clang-format on */

/*
 * Progress and messages from a running conversion, always on the thread that called ffmain (the
 * conversion itself runs on threads of the engine's own, so the caller's thread is free for
 * this).
 *   position >= 0: the output position in seconds (what has reached the encoders); called about
 *     every 40 ms while the conversion runs, however long a single step of it takes.
 *   -2 < position < 0: message is text for the user (what failed, on which file, and why).
 * Return 0 to continue, -1 to stop the conversion; ffmain then returns within half a second.
 */
typedef int (*ProgressCallback)(const char *message, double position);

/* Process-wide set-up and tear-down: FFmpeg's console log is kept to errors, and the last error
 * line is kept for the messages ffmain reports. The other entry points also work without VCInit.
 * Both return 0. */
DOLMAR_API int VCInit(void);
DOLMAR_API int VCExit(void);

/* Ends any playback or probe the engine holds open. Called before every probe. Nothing plays
 * inside this engine and probes close their files before returning, so it has nothing to end;
 * always 0. */
DOLMAR_API int ExitPlayCurrentFile(void);

/*
 * Probes path. ctx must be zeroed by the caller. On success *streams receives an array of
 * ctx->stream_count records, released with FreeStreamInfo. A file that cannot be opened leaves
 * ctx->stream_count at 0 and *streams NULL. route_flag is recorded; reading always goes through
 * the engine's own demuxers. Returns 0 on success, a negative value otherwise.
 */
DOLMAR_API int GetMediaFileInfo(const char *path, MediaContext *ctx, StreamInfo **streams,
                                int route_flag);

/* Releases what GetMediaFileInfo kept for ctx. The record's reported fields stay readable. */
DOLMAR_API void FreeContext(MediaContext *ctx);

/* Releases an array from GetMediaFileInfo; NULL is allowed. The array is one block from the C
 * library's malloc family, released here with free(). */
DOLMAR_API void FreeStreamInfo(StreamInfo *streams);

/* Records whether the next input of this thread's next ffmain is meant for the platform's media
 * route (1) or not (0). There is no separate route here: every input is read through libavformat
 * whatever the flag says. */
DOLMAR_API void EnableDshow(int flag);

/*
 * Runs one conversion synchronously. argv[0] is "ffmain". Returns DOLMAR_OK, DOLMAR_FAILED,
 * DOLMAR_STOPPED or DOLMAR_BAD_ARGS. callback may be NULL. docs/engine-options.md describes the
 * dialect in full; in short:
 *
 *   ffmain [input options] -i IN [output options] OUT [audio options -newaudio]...
 *   ffmain [input options] -ivs "&new [&dshow] &file A" -ias "&file A" ... [output options] OUT
 *
 * Input options (before -i / -ivs; they apply to every later input):
 *   -ss TIME, -t TIME (HH:MM:SS.d or seconds), -f DEMUXER, -threads N (0 = every core).
 * Output options:
 *   -an -vn -sn -y -hq
 *   -vcodec NAME, -acodec NAME (legacy names: h264, xvid, mp3, vorbis, amr_nb ...; auto or empty
 *     = the format's default), -f MUXER
 *   -b KBIT/S (0 = the encoder's quality default), -ab KBIT/S (decimals allowed), -ar HZ,
 *   -ac CHANNELS, -vol LEVEL (256 = unchanged), -aq Q, -r FPS (29.970 = 30000/1001)
 *   -s WxH|name (the picture before padding), -aspect 4:3|16:9|W:H,
 *   -croptop/-cropbottom/-cropleft/-cropright PX, -padtop/-padbottom/-padleft/-padright PX,
 *   -padcolor 0xRRGGBB
 *   -map 0:N (video first, then audio tracks), -fs KIB (0 = no limit),
 *   -vhook "SubTitleHook -f FILE"
 *   encoder settings: -vprofile|-profile:v NAME, -level N, -preset NAME, -tune NAME,
 *   -x264-params K=V:..., -g N, -bf N, -refs N, -coder 0|1, -maxrate KBIT/S, -minrate KBIT/S,
 *   -bufsize KBIT, -qmin N, -qmax N, -crf N, -qscale|-q:v N, -pix_fmt NAME, -vtag FOURCC,
 *   -atag FOURCC, -threads N, -strict LEVEL
 *   muxer settings: -movflags FLAGS, -muxrate KBIT/S, -packetsize BYTES
 * After OUT: one "-acodec ac3 -ar 48000 -ab 448 -ac 2 -newaudio" group per extra audio track,
 * each configuring the next audio stream chosen with -map.
 * Unknown options, missing values and bad numbers are refused (DOLMAR_BAD_ARGS) with a message.
 */
DOLMAR_API int ffmain(int argc, char **argv, ProgressCallback callback);

#ifdef __cplusplus
}
#endif

#endif /* DOLMAR_H */
