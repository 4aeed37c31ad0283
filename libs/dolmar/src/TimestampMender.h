// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <vector>

namespace dolmar {

/**
 * Keeps the clock of a source continuous where its format lets the clock jump: transport and
 * programme streams (TS, M2TS, MTS, MPEG-PS, VOB) and the other formats FFmpeg marks with
 * AVFMT_TS_DISCONT. Two recordings joined into one file, a broadcast whose clock was reset, a
 * DVD's cells: the timestamps jump forwards or backwards, and a converter that believed them
 * would fill the jump with a frozen picture and silence, or run on without end.
 *
 * A jump ("joint") is where a stream's packet leaves the stream's own run of timestamps and also
 * lands far from the point the file as a whole has reached. The first stream to cross a joint is
 * shifted so that it carries on from that point; the other streams take the same shift when they
 * cross, so picture and sound stay together as they were in the source. A stream that merely
 * pauses (the sound of an advertisement break) comes back near that point and is left alone, and
 * so is a stream whose sound is offset from its picture, because it keeps its own run. A single
 * packet with a damaged timestamp is a joint there and, with the next packet, one back.
 *
 * Packets are mended in file order, before they are decoded; timestamps stay in their stream's
 * time base. Streams other than audio and video are left as they are.
 */
class TimestampMender
{
public:
    struct StreamClock
    {
        AVRational time_base{1, 90000};
        bool timed = false; ///< audio or video: the streams whose clock is mended
    };

    /// allows_jumps false: Mend changes nothing.
    TimestampMender(const std::vector<StreamClock> &streams, bool allows_jumps);

    /// The streams of an opened source, mended when its format allows jumps.
    static TimestampMender For(const AVFormatContext *format);

    bool Active() const { return m_active; }

    /// Moves the packet's pts and dts onto the continuous clock.
    void Mend(AVPacket *packet);

    /// Forgets what was read: the next packets come from another place in the file (a seek).
    void Restart();

    /// How many joints were found since the start (or the last restart).
    std::size_t Joints() const { return m_offsets.size() - 1; }

private:
    struct StreamState
    {
        StreamClock clock;
        std::size_t joint = 0; ///< index into m_offsets
        int64_t next_us = AV_NOPTS_VALUE; ///< where the stream's next packet is due (decoding)
    };

    /// A packet's timestamps in microseconds: decoding order, and when it is shown.
    struct Stamp
    {
        int64_t decode_us;
        int64_t show_us;
    };

    std::size_t ChooseJoint(const StreamState &stream, const Stamp &raw);
    std::size_t NearestToEnd(int64_t raw_us) const;

    bool m_active;
    std::vector<StreamState> m_streams;
    /// The shift, in microseconds, of each stretch of the file between joints; [0] is 0.
    std::vector<int64_t> m_offsets{0};
    /// The point the file has reached on the continuous clock: the furthest end of a packet
    /// shown, leaving out packets that leap far ahead of it.
    int64_t m_end_us = AV_NOPTS_VALUE;
};

} // namespace dolmar
