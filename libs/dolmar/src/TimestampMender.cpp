// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimestampMender.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <utility>

namespace dolmar {

namespace {

// A packet this far from where its stream's run of timestamps is due has left the run: frames
// are 10 to 100 ms apart, and a stream's timestamps never step back.
constexpr int64_t kOwnRunUs = 500'000;
// Streams are interleaved within a second or so of each other; a packet this far from the point
// the file has reached is on another clock.
constexpr int64_t kNearEndUs = 2'000'000;
// How many of the latest joints a stream that left its run may return to.
constexpr std::size_t kSearchedJoints = 64;

int64_t Distance(int64_t a_us, int64_t b_us)
{
    return a_us > b_us ? a_us - b_us : b_us - a_us;
}

bool Near(int64_t a_us, int64_t b_us, int64_t tolerance_us)
{
    return b_us != AV_NOPTS_VALUE && a_us - b_us <= tolerance_us && b_us - a_us <= tolerance_us;
}

} // namespace

TimestampMender::TimestampMender(const std::vector<StreamClock> &streams, bool allows_jumps)
    : m_active(allows_jumps)
{
    m_streams.reserve(streams.size());
    for (const StreamClock &clock : streams)
        m_streams.push_back(StreamState{clock});
}

TimestampMender TimestampMender::For(const AVFormatContext *format)
{
    std::vector<StreamClock> streams;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream *stream = format->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        const bool cover_art = stream->disposition & AV_DISPOSITION_ATTACHED_PIC;
        streams.push_back(
            StreamClock{stream->time_base,
                        (type == AVMEDIA_TYPE_VIDEO && !cover_art) || type == AVMEDIA_TYPE_AUDIO});
    }
    const bool allows_jumps = format->iformat && (format->iformat->flags & AVFMT_TS_DISCONT);
    return TimestampMender(streams, allows_jumps);
}

void TimestampMender::Restart()
{
    m_offsets.assign(1, 0);
    m_end_us = AV_NOPTS_VALUE;
    for (StreamState &stream : m_streams) {
        stream.joint = 0;
        stream.next_us = AV_NOPTS_VALUE;
    }
}

std::size_t TimestampMender::NearestToEnd(int64_t raw_us) const
{
    // The source's own clock and the latest joints: a file full of damaged timestamps makes a
    // joint for each, and looking through all of them for every packet would take quadratic time.
    const std::size_t latest = m_offsets.size() - 1;
    std::size_t best = latest;
    const auto closer = [&](std::size_t j) {
        if (Distance(raw_us + m_offsets[j], m_end_us)
            < Distance(raw_us + m_offsets[best], m_end_us))
            best = j;
    };
    closer(0);
    for (std::size_t j = latest > kSearchedJoints ? latest - kSearchedJoints : 1; j <= latest; ++j)
        closer(j);
    return best;
}

std::size_t TimestampMender::ChooseJoint(const StreamState &stream, const Stamp &raw)
{
    if (m_end_us == AV_NOPTS_VALUE)
        return stream.joint;
    // A stream's first packet belongs to the stretch that puts it nearest the others.
    if (stream.next_us == AV_NOPTS_VALUE)
        return NearestToEnd(raw.show_us);
    // In its own run, or out of it but near the others: a pause, or a small fault the filters
    // cope with.
    const int64_t offset = m_offsets[stream.joint];
    if (Near(raw.decode_us + offset, stream.next_us, kOwnRunUs)
        || Near(raw.show_us + offset, m_end_us, kNearEndUs))
        return stream.joint;
    // A joint: one found already that brings this stream back near the others (another stream
    // crossed it first, or this one comes back from a damaged packet); else a new one that carries
    // the file on from the point it has reached: this packet is shown where the last one ended.
    const std::size_t nearest = NearestToEnd(raw.show_us);
    if (Near(raw.show_us + m_offsets[nearest], m_end_us, kNearEndUs))
        return nearest;
    m_offsets.push_back(m_end_us - raw.show_us);
    return m_offsets.size() - 1;
}

void TimestampMender::Mend(AVPacket *packet)
{
    if (!m_active || packet->stream_index < 0)
        return;
    const auto index = static_cast<std::size_t>(packet->stream_index);
    if (index >= m_streams.size() || !m_streams[index].clock.timed)
        return;
    StreamState &stream = m_streams[index];
    const AVRational time_base = stream.clock.time_base;
    if (packet->dts != AV_NOPTS_VALUE || packet->pts != AV_NOPTS_VALUE) {
        // A stream's run is in decoding order, where timestamps never step back; where the file
        // has got to is what has been shown. Pictures reordered for B-frames differ in the two.
        const Stamp raw{av_rescale_q(packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts,
                                     time_base, AV_TIME_BASE_Q),
                        av_rescale_q(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts,
                                     time_base, AV_TIME_BASE_Q)};
        stream.joint = ChooseJoint(stream, raw);
        const int64_t offset = m_offsets[stream.joint];
        const int64_t duration_us
            = packet->duration > 0 ? av_rescale_q(packet->duration, time_base, AV_TIME_BASE_Q) : 0;
        const int64_t next_us = raw.decode_us + offset + duration_us;
        stream.next_us
            = stream.next_us == AV_NOPTS_VALUE ? next_us : std::max(stream.next_us, next_us);
        // A stream that runs far ahead of the others (damaged from its first packet, or offset
        // from the others on purpose) does not move the point the file has reached.
        const int64_t shown_us = raw.show_us + offset;
        if (m_end_us == AV_NOPTS_VALUE)
            m_end_us = shown_us + duration_us;
        else if (shown_us <= m_end_us + kNearEndUs)
            m_end_us = std::max(m_end_us, shown_us + duration_us);
    }
    const int64_t shift = av_rescale_q(m_offsets[stream.joint], AV_TIME_BASE_Q, time_base);
    if (shift == 0)
        return;
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts += shift;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts += shift;
}

} // namespace dolmar
