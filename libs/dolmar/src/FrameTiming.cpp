// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameTiming.h"

#include "AvOwners.h"
#include "LeadingPictures.h"
#include "LogCapture.h"

namespace dolmar {

namespace {

// Enough to find the densest second of a clip, little enough to read in a blink before the
// conversion reports its first progress: twenty seconds of video, or 32 MiB of the file,
// without decoding.
constexpr double kLookSeconds = 20.0;
constexpr int kMaxPackets = 1500;
constexpr int64_t kMaxBytes = int64_t{32} * 1024 * 1024;
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
                                             int stream_index, const AVIOInterruptCB &interrupt)
{
    std::vector<double> times;
    const InputContextPtr input(LeadingPictures::Open(path, format, interrupt));
    if (!input)
        return times;
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
    const auto position = [&] { return input->pb ? avio_tell(input->pb) : int64_t{0}; };
    for (int read = 0; read < kMaxPackets && position() < kMaxBytes
         && av_read_frame(input.get(), packet.get()) >= 0;
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
