// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"
#include "ConversionPlan.h"
#include "SourceFacts.h"
#include "TimestampMender.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace dolmar {

class ProgressReporter;

/// The demuxer of one source file: opened, probed and positioned at the -ss point.
///
/// Timestamps leave this class on the source's own clock, counted from the container's start
/// time ("source seconds"), which is also the clock subtitle files use. Where the format lets that
/// clock jump (transport and programme streams), the jumps are taken out (TimestampMender), so the
/// clock runs on continuously. A damaged file must end the run, never hang it: reads that make no
/// progress are counted and end the input.
class InputFile
{
public:
    /// Opens and probes options.path; throws EngineError with FFmpeg's reason.
    InputFile(const InputOptions &options, ProgressReporter &progress);

    const InputOptions &Options() const { return m_options; }
    const std::string &Path() const { return m_options.path; }
    AVFormatContext *Context() const { return m_ctx.get(); }
    AVStream *Stream(int index) const { return m_ctx->streams[index]; }
    int StreamCount() const { return static_cast<int>(m_ctx->nb_streams); }

    /// What the output decisions read of this file.
    const SourceFacts &Facts() const { return m_facts; }
    /// The first real video stream (cover art excluded) and the first audio stream, or -1.
    int FirstVideoStream() const { return m_facts.FirstVideoStream(); }
    int FirstAudioStream() const { return m_facts.FirstAudioStream(); }

    /// The container's start time in the stream's time base: what "source second 0" is.
    int64_t OriginIn(AVRational time_base) const;
    /// A stream timestamp as source seconds.
    double SourceSeconds(int64_t ts, AVRational time_base) const;

    /// Seeks to the -ss point (a key frame at or before it). Call once before reading. In a file
    /// whose clock jumps the seek can land on another stretch of the file; when the first
    /// timestamp read shows it, reading starts from the beginning instead, and the filters cut up
    /// to the -ss point.
    void SeekToStart();

    /// The duration the container states, when it was read from the file's own timestamps or
    /// index (not guessed from the bit rate), and the clock has not jumped so far. Safe to ask
    /// from a decoder's thread while the demuxer reads.
    std::optional<double> StatedDurationSeconds() const;

    /// The next packet, or false at the end of the input (damage included: what was readable is
    /// what the input holds). Throws EngineError when the demuxer stops making progress.
    bool Read(AVPacket *packet);

    /// The reason reading ended early, if it did not end at a clean end of file.
    const std::string &ReadError() const { return m_read_error; }

private:
    void ReadFromTheStart();
    void RestartClock();

    InputOptions m_options;
    ProgressReporter &m_progress;
    InputContextPtr m_ctx;
    SourceFacts m_facts;
    std::string m_read_error;
    TimestampMender m_mender{{}, false};
    /// The mender's joints so far, for the decoders' threads.
    std::atomic<std::size_t> m_joints{0};
    /// After a seek: the first timestamp read must not lie beyond the point sought.
    std::optional<int64_t> m_seek_target_us;
    int64_t m_furthest_byte = -1;
    int64_t m_furthest_dts = INT64_MIN;
    int m_reads_without_progress = 0;
    int m_retries = 0;
};

} // namespace dolmar
