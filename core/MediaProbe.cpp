// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/MediaProbe.h"

#include "platform/Paths.h"
#include "platform/TextCase.h"
#include "texts/Texts.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <ios>
#include <system_error>

namespace quillet {

namespace {

constexpr const char *kInfoFormat = "File Name:%s\r\nDuration:%02d:%02d:%02.1f\r\nStart "
                                    "Time:%.3fs\r\nBit Rate:%dkbit/s";

void MarkUnprobed(Task &task)
{
    task.context = MediaContext{};
    task.streams.Reset();
    task.information = kCannotOpenFile;
}

} // namespace

int RouteFlag(std::string_view path)
{
    auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return 0;
    const std::string ext = platform::ToLower(path.substr(dot + 1));
    for (const char *routed : {"wmv", "asf", "wma", "ra", "rm", "rmvb", "ram"})
        if (ext == routed)
            return 1;
    return 0;
}

std::unique_ptr<Task> CreateTask(const std::string &source_path, int route_flag,
                                 double trim_start_s, double trim_end_s, const Texts &texts,
                                 Prompter &prompter)
{
    auto task = std::make_unique<Task>();
    task->source_path = source_path;
    task->route_flag = route_flag;
    auto trim = [](double seconds) {
        return seconds > 0 ? TrimPoint{static_cast<int64_t>(seconds * 1000000.0), 0}
                           : TrimPoint{-1, 1};
    };
    task->trim_start = trim(trim_start_s);
    task->trim_end = trim(trim_end_s);
    Probe(*task, texts, prompter);
    return task;
}

int Probe(Task &task, const Texts &texts, Prompter &prompter)
{
    ExitPlayCurrentFile();
    task.context = MediaContext{};
    task.audio_tracks.clear();
    task.video_description = "";
    // The engine would open whatever the path names; a FIFO or a device would block it for good.
    if (std::error_code ec; std::filesystem::is_other(task.source_path, ec)) {
        MarkUnprobed(task);
        prompter.Tell(texts.Lookup("CONVERSION_INFO", "strReadfileFailInfo", "Read file Error."));
        return kProbeReadError;
    }
    try {
        const std::string path = task.source_path;
        GetMediaFileInfo(path.c_str(), &task.context, task.streams.Receive(), task.route_flag);
    } catch (const std::ios_base::failure &) {
        MarkUnprobed(task);
        prompter.Tell(texts.Lookup("CONVERSION_INFO", "strReadfileFailInfo", "Read file Error."));
        return kProbeReadError;
    } catch (const std::filesystem::filesystem_error &) {
        MarkUnprobed(task);
        prompter.Tell(texts.Lookup("CONVERSION_INFO", "strReadfileFailInfo", "Read file Error."));
        return kProbeReadError;
    } catch (...) {
        MarkUnprobed(task);
        prompter.Tell(
            texts.Lookup("CONVERSION_INFO", "strGetMediaFileFailInfo", "GetMediaFileInfo Error."));
        return kProbeEngineError;
    }
    if (task.context.stream_count <= 0 || !task.streams.Get()) {
        FreeContext(&task.context);
        MarkUnprobed(task);
        return kProbeNoStreams;
    }

    const MediaContext &ctx = task.context;
    const double d = static_cast<double>(ctx.duration_us) * 1e-6;
    const int hours = static_cast<int>(d / 3600);
    const int minutes = (static_cast<int>(d) / 60) % 60;
    const float seconds = static_cast<float>(d - hours * 3600 - minutes * 60);
    const int kbps = ctx.bit_rate / 1024;
    const std::string format = texts.LookupFormat("CONVERSION_INFO", "strFormatInfo", kInfoFormat);
    char file_name[sizeof ctx.file_name + 1] = {};
    std::memcpy(file_name, ctx.file_name, sizeof ctx.file_name);
    std::string info = FormatText(format, file_name, hours, minutes, static_cast<double>(seconds),
                                  static_cast<double>(ctx.start_time_us) * 1e-6, kbps);
    task.bit_rate_kbps = kbps;

    std::string video;
    const StreamInfo *streams = task.streams.Get();
    for (int i = 0; i < ctx.stream_count; ++i) {
        const StreamInfo &s = streams[i];
        const std::string description(s.description, strnlen(s.description, sizeof s.description));
        info += "\r\n" + description;
        if (s.kind == DOLMAR_KIND_VIDEO) {
            task.source_height = s.height;
            task.source_width = s.width;
            task.source_display_aspect = s.display_aspect;
            video += description + "\r\n";
        } else if (s.kind == DOLMAR_KIND_AUDIO) {
            // Subtitle and data streams are listed above but are no audio tracks.
            int ordinal = static_cast<int>(task.audio_tracks.size());
            task.audio_tracks.push_back({ordinal, ordinal == 0 ? 1 : 0, description});
        }
    }
    task.information = info;
    task.video_description = video;
    FreeContext(&task.context);
    task.start_time_s = static_cast<float>(static_cast<double>(ctx.start_time_us) * 1e-6);
    task.duration_s = static_cast<float>(static_cast<double>(ctx.duration_us) * 1e-6);
    return kProbeOk;
}

} // namespace quillet
