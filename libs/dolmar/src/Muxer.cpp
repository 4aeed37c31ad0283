// SPDX-License-Identifier: GPL-3.0-or-later
#include "Muxer.h"

#include "EngineError.h"
#include "LogCapture.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace dolmar {

namespace {

struct Overhead
{
    const char *format_prefix;
    double ratio; ///< container bytes per payload byte
    int per_packet; ///< framing bytes per packet in the data
    int trailer_per_packet; ///< index bytes per packet written at the end
};

// How much each container adds around the encoded data; the -fs limit must hold the whole file,
// index included, so the muxer stops before the estimate would pass it.
constexpr Overhead kOverheads[] = {
    {"mov", 1.0, 0, 20},   {"mp4", 1.0, 0, 20},      {"ipod", 1.0, 0, 20}, {"3g", 1.0, 0, 20},
    {"avi", 1.0, 9, 16},   {"matroska", 1.0, 14, 2}, {"webm", 1.0, 14, 2}, {"mpegts", 1.05, 24, 0},
    {"mpeg", 1.02, 32, 0}, {"vob", 1.02, 32, 0},     {"dvd", 1.02, 32, 0}, {"svcd", 1.02, 32, 0},
    {"vcd", 1.02, 32, 0},  {"asf", 1.04, 24, 2},     {"flv", 1.0, 16, 0},
};

// How far one stream may run ahead of another that has no packet yet (the tail of a short
// audio track), before the queue lets it through anyway.
constexpr double kMaxInterleaveSeconds = 10.0;
// Nor may the queue hold more than this, whatever the timestamps say (a stream whose timestamps
// stand still never gets 10 s ahead).
constexpr int64_t kMaxQueuedBytes = int64_t{64} * 1024 * 1024;

// The moov, idx1 or cue tables besides per-packet entries, and the muxer's final bookkeeping.
constexpr int64_t kTrailerSlackBytes = 4096;

} // namespace

Muxer::Muxer(const OutputOptions &output, const AVOutputFormat *format)
    : m_output(output)
{
    AVFormatContext *raw = nullptr;
    CheckAv(avformat_alloc_output_context2(&raw, format, nullptr, output.path.c_str()),
            "prepare the output file", output.path);
    m_ctx.reset(raw);
    for (const Overhead &entry : kOverheads) {
        if (std::strncmp(format->name, entry.format_prefix, std::strlen(entry.format_prefix))
            == 0) {
            m_overhead_ratio = entry.ratio;
            m_bytes_per_packet = entry.per_packet;
            m_trailer_bytes_per_packet = entry.trailer_per_packet;
            break;
        }
    }
}

Muxer::~Muxer()
{
    if (!m_file_created || m_finished)
        return;
    m_ctx.reset(); // closes the AVIO before the file goes
    // Only a file of our own making goes: an output "file" may be a device such as /dev/null.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(m_output.path, ignored))
        std::filesystem::remove(m_output.path, ignored);
}

bool Muxer::WantsGlobalHeaders() const
{
    return m_ctx->oformat->flags & AVFMT_GLOBALHEADER;
}

int Muxer::AddStream(const AVCodecContext *encoder)
{
    AVStream *stream = avformat_new_stream(m_ctx.get(), nullptr);
    if (!stream)
        throw std::bad_alloc();
    CheckAv(avcodec_parameters_from_context(stream->codecpar, encoder), "prepare a stream of",
            m_output.path);
    stream->time_base = encoder->time_base;
    if (encoder->codec_type == AVMEDIA_TYPE_VIDEO) {
        stream->avg_frame_rate = encoder->framerate;
        stream->r_frame_rate = encoder->framerate;
        stream->sample_aspect_ratio = encoder->sample_aspect_ratio;
    }
    // An HDR picture's mastering display and light levels (EncoderSettings puts them there):
    // MP4 writes them as its mdcv and clli boxes, Matroska in its colour element. Nothing else
    // of the encoder's side data is copied, so every other stream is written as before.
    for (int i = 0; i < encoder->nb_coded_side_data; ++i) {
        const AVPacketSideData &side = encoder->coded_side_data[i];
        if (side.type != AV_PKT_DATA_MASTERING_DISPLAY_METADATA
            && side.type != AV_PKT_DATA_CONTENT_LIGHT_LEVEL)
            continue;
        uint8_t *copy = av_stream_new_side_data(stream, side.type, side.size);
        if (!copy)
            throw std::bad_alloc();
        std::memcpy(copy, side.data, side.size);
    }
    m_queues.emplace_back();
    return stream->index;
}

void Muxer::Describe(const SourceTags &source)
{
    source.ApplyTags(m_ctx.get());
    // A merged output is marked where each joined file begins; a single one keeps the source's.
    Chapters::Apply(m_output.joined.empty()
                        ? source.ChapterList()
                        : Chapters::PerSegment(m_output.joined, source.Interrupt()),
                    m_ctx.get());
    bool has_video = false;
    for (unsigned i = 0; i < m_ctx->nb_streams; ++i)
        has_video = has_video || m_ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    // A FLAC file keeps its cover in a picture block, as music players look for it there.
    const bool keeps_cover = SourceTags::KeepsCover(m_ctx->oformat->name, has_video)
        || (!has_video && std::strcmp(m_ctx->oformat->name, "flac") == 0);
    if (source.HasCover() && keeps_cover)
        m_cover = source.CoverPacket(source.AddCoverStream(m_ctx.get()));
}

void Muxer::Start()
{
    if (!(m_ctx->oformat->flags & AVFMT_NOFILE)) {
        CheckAv(avio_open2(&m_ctx->pb, m_output.path.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr),
                "create the output file", m_output.path);
        m_file_created = true;
    }
    Dictionary options;
    if (!m_output.movflags.empty())
        options.Set("movflags", m_output.movflags.c_str());
    if (m_output.mux_rate > 0)
        options.Set("muxrate", std::to_string(m_output.mux_rate).c_str());
    if (m_output.packet_size > 0)
        options.Set("packetsize", std::to_string(m_output.packet_size).c_str());
    LogCapture::TakeLastError();
    CheckAv(avformat_write_header(m_ctx.get(), options.Address()), "write the header of",
            m_output.path);
    if (const AVDictionaryEntry *left
        = av_dict_get(options.Get(), "", nullptr, AV_DICT_IGNORE_SUFFIX))
        ThrowBadArgs("The " + std::string(m_ctx->oformat->name) + " format of "
                     + Quoted(m_output.path) + " has no setting " + Quoted(left->key) + " (-"
                     + left->key + ").");
    m_header_bytes = m_ctx->pb ? avio_tell(m_ctx->pb) : 0;
    if (m_cover) {
        // Before any sound: the MP3 muxer holds the sound back until the ID3v2 tag, which the
        // picture completes, is written. MP4 keeps it for the index at the end, which the -fs
        // estimate must count, hence the payload.
        m_payload_bytes += m_cover->size;
        const int ret = av_interleaved_write_frame(m_ctx.get(), m_cover.get());
        if (ret < 0)
            ThrowAvError(ret, "write the cover picture of", m_output.path);
        if (m_ctx->pb && m_ctx->pb->error < 0)
            ThrowAvError(m_ctx->pb->error, "write to", m_output.path);
    }
}

int64_t Muxer::ProjectedSize(int64_t next_packet_bytes) const
{
    const int64_t packets = m_packets + 1;
    const auto payload
        = static_cast<int64_t>((m_payload_bytes + next_packet_bytes) * m_overhead_ratio);
    const int64_t estimate = m_header_bytes + payload + packets * m_bytes_per_packet
        + packets * m_trailer_bytes_per_packet + kTrailerSlackBytes;
    // The interleaving queue holds packets back, so the file position trails the estimate;
    // it still wins when a muxer writes more than assumed.
    const int64_t written = m_ctx->pb ? avio_tell(m_ctx->pb) + next_packet_bytes
            + packets * m_trailer_bytes_per_packet + kTrailerSlackBytes
                                      : 0;
    return std::max(estimate, written);
}

bool Muxer::Write(AVPacket *packet, int stream_index, AVRational encoder_time_base)
{
    if (m_limit_reached)
        return false;
    const AVRational stream_tb = m_ctx->streams[stream_index]->time_base;
    av_packet_rescale_ts(packet, encoder_time_base, stream_tb);
    packet->stream_index = stream_index;
    const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    Queued queued{PacketPtr(av_packet_clone(packet)),
                  ts != AV_NOPTS_VALUE ? ts * av_q2d(stream_tb) : m_position_s};
    if (!queued.packet)
        throw std::bad_alloc();
    m_queued_bytes += packet->size;
    m_queues[static_cast<std::size_t>(stream_index)].push_back(std::move(queued));
    return Release(false);
}

bool Muxer::Release(bool everything)
{
    for (;;) {
        std::deque<Queued> *earliest = nullptr;
        bool all_have_data = true;
        double latest_s = -1e300;
        for (auto &queue : m_queues) {
            if (queue.empty()) {
                all_have_data = false;
                continue;
            }
            latest_s = std::max(latest_s, queue.back().dts_s);
            if (!earliest || queue.front().dts_s < earliest->front().dts_s)
                earliest = &queue;
        }
        if (!earliest)
            return true;
        // A stream that has ended (or pauses) must not hold the others back without bound.
        const bool overdue = latest_s - earliest->front().dts_s > kMaxInterleaveSeconds
            || m_queued_bytes > kMaxQueuedBytes;
        if (!everything && !all_have_data && !overdue)
            return true;
        PacketPtr packet = std::move(earliest->front().packet);
        earliest->pop_front();
        m_queued_bytes -= packet->size;
        if (!WriteNow(packet.get())) {
            m_limit_reached = true;
            for (auto &queue : m_queues)
                queue.clear();
            m_queued_bytes = 0;
            return false;
        }
    }
}

bool Muxer::WriteNow(AVPacket *packet)
{
    if (m_output.size_limit_bytes > 0 && ProjectedSize(packet->size) > m_output.size_limit_bytes)
        return false;
    const AVRational stream_tb = m_ctx->streams[packet->stream_index]->time_base;
    if (packet->pts != AV_NOPTS_VALUE) {
        const double end = (packet->pts + packet->duration) * av_q2d(stream_tb);
        if (end > m_position_s)
            m_position_s = end;
    }
    m_payload_bytes += packet->size;
    ++m_packets;
    const int ret = av_interleaved_write_frame(m_ctx.get(), packet);
    if (ret < 0)
        ThrowAvError(ret, "write to", m_output.path);
    if (m_ctx->pb && m_ctx->pb->error < 0)
        ThrowAvError(m_ctx->pb->error, "write to", m_output.path);
    return true;
}

void Muxer::Finish(bool complete)
{
    if (complete && !m_limit_reached)
        Release(true);
    int ret = av_write_trailer(m_ctx.get());
    if (ret < 0)
        ThrowAvError(ret, "finish", m_output.path);
    if (m_ctx->pb) {
        avio_flush(m_ctx->pb);
        if (m_ctx->pb->error < 0)
            ThrowAvError(m_ctx->pb->error, "write to", m_output.path);
        if (!(m_ctx->oformat->flags & AVFMT_NOFILE)) {
            ret = avio_closep(&m_ctx->pb);
            if (ret < 0)
                ThrowAvError(ret, "close", m_output.path);
        }
    }
    m_finished = true;
}

} // namespace dolmar
