// SPDX-License-Identifier: GPL-3.0-or-later
#include "LeadingPictures.h"

#include "AvOwners.h"
#include "Decoder.h"
#include "EngineError.h"
#include "LogCapture.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <filesystem>
#include <system_error>

namespace dolmar {

namespace {

// Damaged starts and long runs of other streams' packets end the look instead of a whole read.
constexpr int kMaxPackets = 2000;

} // namespace

AVFormatContext *LeadingPictures::Open(const std::string &path, const std::string &format,
                                       const AVIOInterruptCB &interrupt)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return nullptr;
    const AVInputFormat *forced = format.empty() ? nullptr : av_find_input_format(format.c_str());
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        throw std::bad_alloc();
    raw->interrupt_callback = interrupt;
    // avformat_open_input frees the context when it fails.
    if (avformat_open_input(&raw, path.c_str(), forced, nullptr) < 0) {
        LogCapture::TakeLastError();
        return nullptr;
    }
    return raw;
}

int LeadingPictures::Decode(const std::string &path, const std::string &format, int stream_index,
                            int max_pictures, const Sink &sink, const AVIOInterruptCB &interrupt)
{
    if (max_pictures <= 0)
        return 0;
    const InputContextPtr input(Open(path, format, interrupt));
    if (!input)
        return 0;
    if (avformat_find_stream_info(input.get(), nullptr) < 0 || stream_index < 0
        || stream_index >= static_cast<int>(input->nb_streams)
        || input->streams[stream_index]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) {
        LogCapture::TakeLastError();
        return 0;
    }
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (static_cast<int>(i) != stream_index)
            input->streams[i]->discard = AVDISCARD_ALL;

    int pictures = 0;
    bool enough = false;
    try {
        // One thread: a look at a few pictures is over before frame threads would fill.
        Decoder decoder(input->streams[stream_index], 1, path);
        const Decoder::FrameSink take = [&](AVFrame *frame) {
            if (enough)
                return;
            ++pictures;
            enough = !sink(frame) || pictures >= max_pictures
                || (interrupt.callback && interrupt.callback(interrupt.opaque) != 0);
        };
        PacketPtr packet = MakePacket();
        for (int read = 0;
             !enough && read < kMaxPackets && av_read_frame(input.get(), packet.get()) >= 0;
             ++read) {
            if (packet->stream_index == stream_index)
                decoder.Decode(packet.get(), take);
            av_packet_unref(packet.get());
        }
        if (!enough)
            decoder.Decode(nullptr, take);
    } catch (const EngineError &) {
        // An undecodable start is the conversion's to report, not this look's.
    }
    LogCapture::TakeLastError();
    return pictures;
}

} // namespace dolmar
