// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in subtitle style library: records each call in the file named by FAKE_SUBTITLES_LOG,
// and answers the style dialog with FAKE_SUBTITLES_ANSWER (default 0, accepted).
#include <cstdio>
#include <cstdlib>

namespace {
void Log(const char *line)
{
    if (const char *path = std::getenv("FAKE_SUBTITLES_LOG")) {
        if (std::FILE *f = std::fopen(path, "a")) {
            std::fprintf(f, "%s\n", line);
            std::fclose(f);
        }
    }
}
} // namespace

extern "C" {
__attribute__((visibility("default"))) int ST_Init(int flag)
{
    Log(flag == 0 ? "init 0" : "init other");
    return 0;
}
__attribute__((visibility("default"))) int ST_GetSubtitleStyleDialog(int flag, void *style, void *)
{
    Log(flag == 0 && style ? "dialog" : "dialog bad");
    const char *answer = std::getenv("FAKE_SUBTITLES_ANSWER");
    return answer ? std::atoi(answer) : 0;
}
#ifndef FAKE_WITHOUT_SET_STYLE
__attribute__((visibility("default"))) int ST_SetIniSubtitleStyle(void *style)
{
    Log(style ? "set" : "set bad");
    return 0;
}
#endif
__attribute__((visibility("default"))) int ST_Exit()
{
    Log("exit");
    return 0;
}
}
