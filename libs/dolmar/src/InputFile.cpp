// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputFile.h"

#include "EngineError.h"
#include "LogCapture.h"
#include "ProgressReporter.h"

extern "C" {
#include <libavutil/mathematics.h>
}

namespace dolmar {

namespace {

// A demuxer hands out packets it buffered while probing without moving the file position, so a
// few thousand reads without progress are normal; a hundred thousand mean it is going in circles
// (seen with damaged files whose index points backwards).
constexpr int kMaxReadsWithoutProgress = 100000;
// EAGAIN from a local file is a demuxer waiting on itself; a stream of them is a stuck demuxer.
constexpr int kMaxRetries = 1000;
// A seek in a transport or programme stream lands on a packet near the point sought, by its
// timestamp. Where the clock jumps, the search can be misled onto another stretch of the file; a
// first timestamp this far after the point, or this far before it, says so.
constexpr int64_t kSeekLandingAfterUs = 2'000'000;
constexpr int64_t kSeekLandingBeforeUs = 10'000'000;

bool Timed(const AVStream *stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO;
}

} // namespace

InputFile::InputFile(const InputOptions &options, ProgressReporter &progress)
    : m_options(options)
    , m_progress(progress)
{
    const AVInputFormat *forced = nullptr;
    if (!options.format.empty()) {
        forced = av_find_input_format(options.format.c_str());
        if (!forced)
            ThrowBadArgs("The input format " + Quoted(options.format) + " of -f is unknown.");
    }
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        throw std::bad_alloc();
    // Long opens and reads (network mounts, huge files) keep reporting and can be stopped.
    raw->interrupt_callback = progress.InterruptCallback();
    LogCapture::TakeLastError();
    int ret = avformat_open_input(&raw, options.path.c_str(), forced, nullptr);
    if (ret < 0) {
        // avformat_open_input frees the context on failure.
        if (m_progress.StopRequested())
            ThrowFailed("The conversion was stopped while opening " + Quoted(options.path) + ".");
        ThrowAvError(ret, "open the input file", options.path);
    }
    m_ctx.reset(raw);
    ret = avformat_find_stream_info(m_ctx.get(), nullptr);
    if (ret < 0)
        ThrowAvError(ret, "read the streams of", options.path);
    if (m_ctx->nb_streams == 0)
        ThrowFailed("The file " + Quoted(options.path) + " holds no audio or video streams.");
    m_facts = SourceFacts::Read(m_ctx.get(), options.path);
    m_mender = TimestampMender::For(m_ctx.get());
}

int64_t InputFile::OriginIn(AVRational time_base) const
{
    if (m_ctx->start_time == AV_NOPTS_VALUE)
        return 0;
    return av_rescale_q(m_ctx->start_time, AV_TIME_BASE_Q, time_base);
}

double InputFile::SourceSeconds(int64_t ts, AVRational time_base) const
{
    return (ts - OriginIn(time_base)) * av_q2d(time_base);
}

void InputFile::SeekToStart()
{
    if (m_options.start_us <= 0)
        return;
    int64_t target = m_options.start_us;
    if (m_ctx->start_time != AV_NOPTS_VALUE)
        target += m_ctx->start_time;
    // Any key frame at or before the point will do: the frames before it are decoded and cut by
    // the filters, so the output starts exactly at -ss.
    const int ret = avformat_seek_file(m_ctx.get(), -1, INT64_MIN, target, target, 0);
    if (ret < 0) {
        // Files without an index (raw streams) cannot seek; reading from the start and cutting
        // gives the same result, only slower.
        LogCapture::TakeLastError();
        return;
    }
    RestartClock();
    if (m_mender.Active())
        m_seek_target_us = target;
}

void InputFile::ReadFromTheStart()
{
    if (av_seek_frame(m_ctx.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0) {
        // Then the conversion starts where the seek landed, as it would without the check.
        LogCapture::TakeLastError();
        return;
    }
    RestartClock();
    m_furthest_byte = -1;
    m_furthest_dts = INT64_MIN;
    m_reads_without_progress = 0;
}

void InputFile::RestartClock()
{
    m_mender.Restart();
    m_joints = 0;
}

std::optional<double> InputFile::StatedDurationSeconds() const
{
    // Where the clock jumped, the container's duration measured the jumps, not the content.
    if (m_ctx->duration == AV_NOPTS_VALUE || m_ctx->duration <= 0
        || m_ctx->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE || m_joints > 0)
        return std::nullopt;
    return m_ctx->duration / double(AV_TIME_BASE);
}

bool InputFile::Read(AVPacket *packet)
{
    for (;;) {
        const int ret = av_read_frame(m_ctx.get(), packet);
        if (ret == AVERROR(EAGAIN)) {
            if (++m_retries > kMaxRetries)
                ThrowFailed("Reading " + Quoted(Path())
                            + " makes no progress; the file seems damaged.");
            continue;
        }
        m_retries = 0;
        if (ret == AVERROR_EOF)
            return false;
        if (ret < 0) {
            if (ret != AVERROR_EXIT)
                m_read_error = AvErrorText(ret);
            return false;
        }
        bool progressed = false;
        const int64_t position = m_ctx->pb ? avio_tell(m_ctx->pb) : -1;
        if (position > m_furthest_byte) {
            m_furthest_byte = position;
            progressed = true;
        }
        if (packet->dts != AV_NOPTS_VALUE) {
            const int64_t dts = av_rescale_q(
                packet->dts, m_ctx->streams[packet->stream_index]->time_base, AV_TIME_BASE_Q);
            if (dts > m_furthest_dts) {
                m_furthest_dts = dts;
                progressed = true;
            }
        }
        if (progressed) {
            m_reads_without_progress = 0;
        } else if (++m_reads_without_progress > kMaxReadsWithoutProgress) {
            av_packet_unref(packet);
            ThrowFailed("Reading " + Quoted(Path())
                        + " makes no progress; the file seems damaged.");
        }
        if (m_seek_target_us && Timed(m_ctx->streams[packet->stream_index])) {
            const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            if (ts != AV_NOPTS_VALUE) {
                const int64_t target = *m_seek_target_us;
                m_seek_target_us.reset();
                const int64_t landed = av_rescale_q(
                    ts, m_ctx->streams[packet->stream_index]->time_base, AV_TIME_BASE_Q);
                if (landed > target + kSeekLandingAfterUs
                    || landed < target - kSeekLandingBeforeUs) {
                    av_packet_unref(packet);
                    ReadFromTheStart();
                    continue;
                }
            }
        }
        m_mender.Mend(packet);
        m_joints = m_mender.Joints();
        return true;
    }
}

} // namespace dolmar
