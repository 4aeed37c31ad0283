// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"
#include "ConversionPlan.h"
#include "SourceTags.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace dolmar {

/// The output file: its streams, header, interleaved packets, the -fs size limit and the trailer.
///
/// Packets are put in time order here, before the size check, so that the -fs limit cuts every
/// stream at the same moment: encoders deliver in bursts (libx264 holds a second or two of
/// pictures back), and a check at delivery time would fill the file with sound alone. The queue
/// holds at most 10 s of one stream ahead of another, and at most 64 MiB.
///
/// Write errors that FFmpeg's muxers swallow (a full disk) are found through pb->error and the
/// result of closing the file, so they fail the run instead of passing as success.
class Muxer
{
public:
    Muxer(const OutputOptions &output, const AVOutputFormat *format);
    /// Removes the file of an unfinished output: a half-written file is not a result.
    ~Muxer();
    Muxer(const Muxer &) = delete;
    Muxer &operator=(const Muxer &) = delete;

    /// True when encoders must put their codec headers into extradata.
    bool WantsGlobalHeaders() const;

    /// Adds a stream carrying what encoder produces; returns its index.
    int AddStream(const AVCodecContext *encoder);

    /// Gives the file the source's tags and chapters (in a merged run, one chapter per joined
    /// file), and its cover picture where the format keeps one beside the sound. Call after the
    /// last AddStream and before Start.
    void Describe(const SourceTags &source);

    /// Creates the file and writes the header (and the cover picture). Throws EngineError.
    void Start();

    /// Queues a packet in the encoder's time base and writes what is due. Returns false once the
    /// next packet due would take the file past the -fs limit; nothing more is written then.
    bool Write(AVPacket *packet, int stream_index, AVRational encoder_time_base);

    /// Writes the trailer and closes the file, checking that every byte reached it. complete:
    /// every stream has ended, so all queued packets belong in the file; otherwise (a stop) the
    /// queue's tail where not every stream has data yet is left out.
    void Finish(bool complete);

    /// The latest timestamp written, in seconds.
    double PositionSeconds() const { return m_position_s; }

private:
    struct Queued
    {
        PacketPtr packet;
        double dts_s;
    };

    int64_t ProjectedSize(int64_t next_packet_bytes) const;
    bool Release(bool everything);
    bool WriteNow(AVPacket *packet);

    OutputOptions m_output;
    OutputContextPtr m_ctx;
    /// The cover picture's one packet and its stream, which is not interleaved: it is added
    /// after the encoders' streams, so m_queues stays indexed by stream.
    PacketPtr m_cover;
    std::vector<std::deque<Queued>> m_queues;
    int64_t m_queued_bytes = 0;
    bool m_limit_reached = false;
    bool m_file_created = false;
    bool m_finished = false;
    int64_t m_header_bytes = 0;
    int64_t m_payload_bytes = 0;
    int64_t m_packets = 0;
    double m_overhead_ratio = 1.0;
    int m_bytes_per_packet = 16;
    int m_trailer_bytes_per_packet = 0;
    double m_position_s = 0;
};

} // namespace dolmar
