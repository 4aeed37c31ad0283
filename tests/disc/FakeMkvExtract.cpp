// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in Matroska track library. Tracks come from FAKE_MKV_TRACKS ("type:codec,..."), and
// extraction writes each requested file unless FAKE_MKV_FAIL names its track number.
#include <mkvextract.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
EmProgressFunc g_callback = nullptr;
}

extern "C" {
MKVEXTRACT_API int em_gettrackinfo(const char *, EmTrackInfo **info)
{
    const char *tracks_text = std::getenv("FAKE_MKV_TRACKS");
    if (!tracks_text)
        return -1;
    auto *result = new EmTrackInfo{0, new EmTrack *[16]};
    std::string text = tracks_text;
    std::size_t start = 0;
    while (start < text.size() && result->count < 16) {
        auto end = text.find(',', start);
        std::string item = text.substr(start, end == std::string::npos ? end : end - start);
        auto *track = new EmTrack{};
        track->number = result->count;
        track->type = std::atoi(item.c_str());
        std::snprintf(track->codec, sizeof track->codec, "%s",
                      item.substr(item.find(':') + 1).c_str());
        result->tracks[result->count++] = track;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    *info = result;
    return 0;
}

MKVEXTRACT_API int em_extract(const char *, const EmExtractRequest *request)
{
    const char *fail = std::getenv("FAKE_MKV_FAIL");
    for (int i = 0; i < request->count; ++i) {
        if (g_callback)
            g_callback(100 * i / request->count, "Extracting");
        if (fail && std::atoi(fail) == request->items[i].track)
            continue;
        if (std::FILE *f = std::fopen(request->items[i].output_path, "w")) {
            std::fprintf(f, "track %d\n", request->items[i].track);
            std::fclose(f);
        }
    }
    if (g_callback)
        g_callback(100, "Done");
    return 0;
}

MKVEXTRACT_API void em_freetrackinfo(EmTrackInfo *info)
{
    if (!info)
        return;
    for (int i = 0; i < info->count; ++i)
        delete info->tracks[i];
    delete[] info->tracks;
    delete info;
}

MKVEXTRACT_API void em_setcallbackfunc(EmProgressFunc callback)
{
    g_callback = callback;
}
}
