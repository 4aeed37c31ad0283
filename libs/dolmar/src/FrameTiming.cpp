// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameTiming.h"

#include "AvOwners.h"
#include "LogCapture.h"

#include <filesystem>
#include <system_error>

namespace dolmar {

namespace {

// Enough to find the densest second of a clip, little enough to read in a blink: the packets of
// a minute of video, without decoding.
constexpr double kLookSeconds = 60.0;
constexpr int kMaxPackets = 4000;
// An index that lists fewer pictures than this share of the stream's is an index of key frames.
constexpr double kCompleteIndex = 0.9;

} // namespace

std::vector<double> FrameTiming::FromIndex(AVStream *stream)
{
    std::vector<double> times;
    const int entries = avformat_index_get_entries_count(stream);
    if (entries < 2)
        return times;
    int64_t expected = stream->nb_frames;
    if (expected <= 0 && stream->duration > 0 && stream->avg_frame_rate.num > 0
        && stream->avg_frame_rate.den > 0)
        expected = static_cast<int64_t>(stream->duration * av_q2d(stream->time_base)
                                        * av_q2d(stream->avg_frame_rate));
    if (expected <= 0 || entries < kCompleteIndex * static_cast<double>(expected))
        return times;
    const double seconds_per_tick = av_q2d(stream->time_base);
    times.reserve(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry *entry = avformat_index_get_entry(stream, i);
        if (!entry || (entry->flags & AVINDEX_DISCARD_FRAME))
            continue;
        const double at = entry->timestamp * seconds_per_tick;
        if (!times.empty() && at - times.front() > kLookSeconds)
            break;
        times.push_back(at);
    }
    return times;
}

std::vector<double> FrameTiming::FromPackets(const std::string &path, const std::string &format,
                                             int stream_index)
{
    std::vector<double> times;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return times;
    const AVInputFormat *forced = format.empty() ? nullptr : av_find_input_format(format.c_str());
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), forced, nullptr) < 0) {
        LogCapture::TakeLastError();
        return times;
    }
    const InputContextPtr input(raw);
    if (stream_index >= static_cast<int>(input->nb_streams)
        && avformat_find_stream_info(input.get(), nullptr) < 0) {
        LogCapture::TakeLastError();
        return times;
    }
    if (stream_index < 0 || stream_index >= static_cast<int>(input->nb_streams))
        return times;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (static_cast<int>(i) != stream_index)
            input->streams[i]->discard = AVDISCARD_ALL;
    const double seconds_per_tick = av_q2d(input->streams[stream_index]->time_base);
    PacketPtr packet = MakePacket();
    for (int read = 0; read < kMaxPackets && av_read_frame(input.get(), packet.get()) >= 0;
         ++read) {
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const bool ours = packet->stream_index == stream_index;
        av_packet_unref(packet.get());
        if (!ours || ts == AV_NOPTS_VALUE)
            continue;
        const double at = ts * seconds_per_tick;
        if (!times.empty() && at - times.front() > kLookSeconds)
            break;
        times.push_back(at);
    }
    LogCapture::TakeLastError();
    return times;
}

} // namespace dolmar
