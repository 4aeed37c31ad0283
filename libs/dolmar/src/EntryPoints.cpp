// SPDX-License-Identifier: GPL-3.0-or-later
// The C entry points of libdolmar. Each one catches everything: no C++ exception may cross into
// a caller that knows nothing of them.

#include "dolmar.h"

#include "EngineError.h"
#include "LogCapture.h"
#include "MediaProbe.h"
#include "OptionParser.h"
#include "ProgressReporter.h"
#include "Transcoder.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// EnableDshow's flag. There is no separate media route here; the flag is kept so that a merged
// run's "&dshow" and this flag mean the same thing to the plan. It is set before each ffmain and
// cleared after it on the same thread, so each thread has its own: conversions on several
// threads at once do not see each other's.
thread_local int g_route_flag = 0;

} // namespace

extern "C" {

DOLMAR_API int VCInit(void)
{
    dolmar::LogCapture::Install();
    return 0;
}

DOLMAR_API int VCExit(void)
{
    dolmar::LogCapture::Uninstall();
    return 0;
}

DOLMAR_API int ExitPlayCurrentFile(void)
{
    // Nothing plays inside the engine, and a probe closes its file before it returns.
    return 0;
}

DOLMAR_API void EnableDshow(int flag)
{
    g_route_flag = flag ? 1 : 0;
}

DOLMAR_API int GetMediaFileInfo(const char *path, MediaContext *ctx, StreamInfo **streams,
                                int route_flag)
{
    (void)route_flag; // every file is read through libavformat, whatever its route
    if (!ctx || !streams)
        return -1;
    *streams = nullptr;
    if (!path) {
        ctx->stream_count = 0;
        return -1;
    }
    try {
        dolmar::LogCapture::Install();
        return dolmar::MediaProbe::Probe(path, ctx, streams) < 0 ? -1 : 0;
    } catch (...) {
        std::free(*streams);
        *streams = nullptr;
        ctx->stream_count = 0;
        return -1;
    }
}

DOLMAR_API void FreeContext(MediaContext *ctx)
{
    // The probe keeps nothing open behind the record: its file is closed before it returns.
    // The engine's own bytes are cleared so that a stale record cannot look probed-into.
    if (!ctx)
        return;
    std::memset(ctx->engine_a, 0, sizeof ctx->engine_a);
    std::memset(ctx->engine_b, 0, sizeof ctx->engine_b);
}

DOLMAR_API void FreeStreamInfo(StreamInfo *streams)
{
    std::free(streams);
}

DOLMAR_API int ffmain(int argc, char **argv, ProgressCallback callback)
{
    dolmar::ProgressReporter progress(callback);
    try {
        dolmar::LogCapture::Install();
        std::vector<std::string> args;
        if (argc > 0 && argv) {
            args.reserve(static_cast<std::size_t>(argc));
            for (int i = 0; i < argc; ++i)
                args.emplace_back(argv[i] ? argv[i] : "");
        }
        dolmar::ConversionPlan plan = dolmar::OptionParser::Parse(args);
        if (g_route_flag)
            for (auto &input : plan.inputs)
                input.platform_route = true;
        dolmar::Transcoder transcoder(plan, progress);
        return transcoder.Run() == dolmar::RunOutcome::Stopped ? DOLMAR_STOPPED : DOLMAR_OK;
    } catch (const dolmar::EngineError &error) {
        // A stop asked for while a file was opening surfaces as that open failing.
        if (progress.StopRequested())
            return DOLMAR_STOPPED;
        progress.ReportError(error.what());
        return error.ErrorKind() == dolmar::EngineError::Kind::BadArgs ? DOLMAR_BAD_ARGS
                                                                       : DOLMAR_FAILED;
    } catch (const std::bad_alloc &) {
        progress.ReportError("The conversion ran out of memory.");
        return DOLMAR_FAILED;
    } catch (const std::exception &error) {
        progress.ReportError(std::string("The conversion failed: ") + error.what());
        return DOLMAR_FAILED;
    } catch (...) {
        progress.ReportError("The conversion failed for an unknown reason.");
        return DOLMAR_FAILED;
    }
}

} // extern "C"
