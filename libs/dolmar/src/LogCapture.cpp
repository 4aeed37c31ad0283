// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogCapture.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace dolmar {

namespace {

std::mutex g_mutex; // guards the installation only
// Kept per thread: several conversions may run at once, and a failing FFmpeg call logs on the
// thread that made it, so a run's message never takes another run's complaint. A line logged on
// a codec's own worker thread is not kept; the stage's own message still says what failed.
thread_local std::string g_partial; // a line FFmpeg is still writing in pieces
thread_local std::string g_last; // the last finished error line
bool g_installed = false;

void Callback(void *avcl, int level, const char *fmt, va_list vl)
{
    if (level > AV_LOG_ERROR)
        return;
    va_list copy;
    va_copy(copy, vl);
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, copy);
    va_end(copy);
    g_partial += text;
    if (!g_partial.empty() && g_partial.back() == '\n') {
        g_partial.pop_back();
        if (!g_partial.empty())
            g_last = g_partial;
        g_partial.clear();
    }
    av_log_default_callback(avcl, level, fmt, vl);
}

} // namespace

void LogCapture::Install()
{
    std::lock_guard lock(g_mutex);
    if (g_installed)
        return;
    av_log_set_level(AV_LOG_ERROR);
    av_log_set_callback(Callback);
    g_installed = true;
}

void LogCapture::Uninstall()
{
    std::lock_guard lock(g_mutex);
    if (!g_installed)
        return;
    av_log_set_callback(av_log_default_callback);
    g_installed = false;
    g_last.clear();
    g_partial.clear();
}

std::string LogCapture::TakeLastError()
{
    std::string last;
    last.swap(g_last);
    return last;
}

} // namespace dolmar
