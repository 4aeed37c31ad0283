// SPDX-License-Identifier: GPL-3.0-or-later
// The kept batch with a large task list: what a change costs the caller, what the writer thread
// spends encoding and writing, and what a restore at start-up takes.
//
//   bench_batch_store [tasks] [folder]   (default 1000 tasks, in a temporary folder; give a
//                                         folder to measure another file system)
//
// Every task is as full as a real one: a probed source with video and two audio tracks, the
// information texts, a subtitle, its own copy of a complete profile.
#include "core/BatchFile.h"
#include "core/BatchStore.h"

#include "TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

using namespace quillet;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

/// The calling thread's processor time: on a machine others share, it shows the work itself
/// where the wall time also holds the waits for a processor.
double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

ProfileRecord FullProfile()
{
    ProfileRecord r;
    r.profile_path = "/usr/share/quillet/ini/tablet.ini";
    r.section_name = "Tablet - H.264 1280x720";
    r.FormatName = "MPEG-4 AVC (H.264)";
    r.FormatHint = "Video for the tablet: H.264 main profile, AAC stereo";
    r.TargetType = "mp4";
    r.BeforePara = "-threads 0";
    r.Para = "-vcodec h264 -vprofile main -level 31 -acodec aac -f mp4 -movflags faststart";
    r.bAudioCustomSampleRate = 1;
    r.nAudioCustomSampleRate = 48000;
    r.bAudioCustomBitRate = 1;
    r.nAudioCustomBitRate = 160;
    r.nAudioChannel = 2;
    r.nAudioVolume = 256;
    r.cAudioCodec = "aac";
    r.nVideoCustomFrameRate = 29.97f;
    r.nVideoBitRateLevel = 0.00123f;
    r.nVideoBitRateLevel2 = 0.5f;
    r.nVideoBitRateLevel3 = 300;
    r.estimated_video_bit_rate = 2345;
    r.source_width = 1920;
    r.source_height = 1080;
    r.source_display_aspect = 1.7777778f;
    r.cVideoCodec = "h264";
    r.nVideoRiszeOption = 3;
    r.nVideoCustomSizeX = 1280;
    r.nVideoCustomSizeY = 720;
    r.PostProcess = "\"./ferrule\" \"%out\"";
    return r;
}

std::unique_ptr<Task> FullTask(const std::string &source, const std::string &output)
{
    auto task = std::make_unique<Task>();
    task->source_path = source;
    task->destination_path = output;
    task->context.stream_count = 3;
    task->context.audio_stream_count = 2;
    task->context.video_stream_index = 0;
    task->context.duration_us = 1234567890;
    task->context.bit_rate = 8000000;
    std::snprintf(task->context.file_name, sizeof task->context.file_name, "%s", source.c_str());
    auto *streams = static_cast<StreamInfo *>(std::calloc(3, sizeof(StreamInfo)));
    *task->streams.Receive() = streams;
    const char *descriptions[]
        = {"Video: h264 (High), yuv420p, 1920x1080 [SAR 1:1 DAR 16:9], 25 fps",
           "Audio: aac (LC), 48000 Hz, stereo, fltp, 192 kb/s (eng)",
           "Audio: ac3, 48000 Hz, 5.1(side), fltp, 448 kb/s (deu)"};
    for (int i = 0; i < 3; ++i) {
        streams[i].kind = i == 0 ? DOLMAR_KIND_VIDEO : DOLMAR_KIND_AUDIO;
        std::snprintf(streams[i].description, sizeof streams[i].description, "%s", descriptions[i]);
    }
    streams[0].width = 1920;
    streams[0].height = 1080;
    streams[0].display_aspect = 1.7777778f;
    task->audio_tracks = {{0, 1, descriptions[1]}, {1, 0, descriptions[2]}};
    task->source_width = 1920;
    task->source_height = 1080;
    task->source_display_aspect = 1.7777778f;
    task->duration_s = 1234.56789f;
    task->bit_rate_kbps = 7812;
    task->information = "File Name:" + source
        + "\r\nDuration:00:20:34.6\r\nStart Time:0.000s\r\nBit Rate:7812kbit/s\r\n"
        + descriptions[0] + "\r\n" + descriptions[1] + "\r\n" + descriptions[2];
    task->video_description = std::string(descriptions[0]) + "\r\n";
    task->subtitle_path = source + ".srt";
    task->settings = FullProfile();
    return task;
}

struct Spread
{
    double median = 0;
    double worst = 0;
};

Spread SpreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    test::TempDir temporary;
    const std::filesystem::path folder
        = argc > 2 ? std::filesystem::path(argv[2]) : temporary.path();
    test::TempDir sources;

    TaskList list;
    std::vector<double> added_ms;
    {
        BatchStore store(list, folder / "state");
        if (store.Open() != BatchStore::OpenResult::Owned)
            return 1;
        store.Discard();
        // Adding files as the window does, a change each; the real clock's one-second interval.
        for (int i = 0; i < count; ++i) {
            const std::string name = "clip " + std::to_string(i) + ".mkv";
            const std::string source = test::WriteFile(sources.path() / name, "x").string();
            list.Add(FullTask(source, "/home/user/Videos/output/" + name + ".mp4"));
            const auto start = Clock::now();
            store.TaskAdded(*list.Get(i));
            added_ms.push_back(Ms(Clock::now() - start));
        }
        double total_added = 0;
        for (const double ms : added_ms)
            total_added += ms;
        std::printf("adding %d tasks: %.1f ms in the store in all (%.3f ms a task)\n", count,
                    total_added, total_added / count);

        // A change with the write due: the caller's share (the snapshot), then the writer's.
        // Each change finds its interval over.
        auto now = Clock::now();
        store.SetClock([&] { return now += std::chrono::seconds(2); });
        std::vector<double> caller_ms;
        std::vector<double> caller_cpu_ms;
        std::vector<double> encode_ms;
        std::vector<double> write_ms;
        std::vector<double> whole_ms;
        for (int round = 0; round < 15; ++round) {
            store.WaitUntilWritten();
            list.Get(round)->trim_end = {static_cast<int64_t>(round) * 1000000, 0};
            const auto start = Clock::now();
            const double cpu_start = ThreadCpuMs();
            store.NoteChange();
            caller_cpu_ms.push_back(ThreadCpuMs() - cpu_start);
            caller_ms.push_back(Ms(Clock::now() - start));
            store.WaitUntilWritten();
            whole_ms.push_back(Ms(Clock::now() - start));
            encode_ms.push_back(store.Figures().last_encode_ms);
            write_ms.push_back(store.Figures().last_write_ms);
        }
        const auto caller = SpreadOf(caller_ms);
        const auto caller_cpu = SpreadOf(caller_cpu_ms);
        const auto encode = SpreadOf(encode_ms);
        const auto write = SpreadOf(write_ms);
        const auto whole = SpreadOf(whole_ms);
        std::printf("a change, %d tasks, %.2f MB file (median / worst of 15):\n", count,
                    static_cast<double>(store.Figures().last_bytes) / 1e6);
        std::printf("  caller (snapshot)      %6.2f / %6.2f ms (processor %.2f / %.2f ms)\n",
                    caller.median, caller.worst, caller_cpu.median, caller_cpu.worst);
        std::printf("  writer: encode         %6.2f / %6.2f ms\n", encode.median, encode.worst);
        std::printf("  writer: write + fsync  %6.2f / %6.2f ms\n", write.median, write.worst);
        std::printf("  change to on disk      %6.2f / %6.2f ms\n", whole.median, whole.worst);
        store.RunEnded(false);
    }

    // Start-up: read, validate, rebuild every task and check every source.
    std::vector<double> restore_ms;
    std::vector<double> restore_cpu_ms;
    for (int round = 0; round < 5; ++round) {
        TaskList restored;
        const BuiltInTexts texts;
        const auto start = Clock::now();
        const double cpu_start = ThreadCpuMs();
        BatchStore store(restored, folder / "state");
        store.Open();
        BatchStore::ReadResult kept = store.Read(texts);
        for (auto &task : store.Restore(std::move(kept.batch)))
            restored.Add(std::move(task));
        restore_ms.push_back(Ms(Clock::now() - start));
        restore_cpu_ms.push_back(ThreadCpuMs() - cpu_start);
        if (restored.Count() != count)
            return 1;
        store.Close();
    }
    const auto restore = SpreadOf(restore_ms);
    const auto restore_cpu = SpreadOf(restore_cpu_ms);
    std::printf("restore of %d tasks (median / worst of 5): %.1f / %.1f ms (processor %.1f / "
                "%.1f ms)\n",
                count, restore.median, restore.worst, restore_cpu.median, restore_cpu.worst);
    return 0;
}
