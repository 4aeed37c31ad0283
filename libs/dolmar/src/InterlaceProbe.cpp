// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterlaceProbe.h"

#include "AvOwners.h"
#include "Decoder.h"
#include "EngineError.h"
#include "FilterChain.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <cstdlib>
#include <memory>

namespace dolmar {

namespace {

int64_t Counted(const AVFrame *frame, const char *key)
{
    const AVDictionaryEntry *entry = av_dict_get(frame->metadata, key, nullptr, 0);
    return entry ? std::strtoll(entry->value, nullptr, 10) : 0;
}

} // namespace

AVFieldOrder FieldCounts::Verdict() const
{
    const int64_t fields = top_first + bottom_first;
    if (fields < 4 || fields <= 2 * progressive)
        return AV_FIELD_PROGRESSIVE;
    return top_first >= bottom_first ? AV_FIELD_TT : AV_FIELD_BB;
}

FieldCounts InterlaceProbe::Count(const std::string &path, int stream_index)
{
    FieldCounts counts;
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        return counts;
    InputContextPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0 || stream_index < 0
        || stream_index >= static_cast<int>(format->nb_streams))
        return counts;
    const AVStream *stream = format->streams[stream_index];
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != stream_index)
            format->streams[i]->discard = AVDISCARD_ALL;

    try {
        Decoder decoder(stream, 0, path);
        std::unique_ptr<FilterChain> chain;
        FramePtr out = MakeFrame();
        int pictures = 0;
        int width = 0, height = 0, pixel_format = AV_PIX_FMT_NONE;
        auto drain = [&] {
            while (chain && chain->Pull(out.get()) == 0) {
                counts.top_first = Counted(out.get(), "lavfi.idet.multiple.tff");
                counts.bottom_first = Counted(out.get(), "lavfi.idet.multiple.bff");
                counts.progressive = Counted(out.get(), "lavfi.idet.multiple.progressive");
                counts.undetermined = Counted(out.get(), "lavfi.idet.multiple.undetermined");
                av_frame_unref(out.get());
            }
        };
        const Decoder::FrameSink sink = [&](AVFrame *frame) {
            if (pictures >= kPictures)
                return;
            if (!chain) {
                width = frame->width;
                height = frame->height;
                pixel_format = frame->format;
                chain = std::make_unique<FilterChain>(1);
                chain->Add(
                    "buffer",
                    {{"video_size",
                      std::to_string(frame->width) + "x" + std::to_string(frame->height)},
                     {"pix_fmt", av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format))},
                     {"time_base",
                      std::to_string(stream->time_base.num) + "/"
                          + std::to_string(stream->time_base.den)}});
                chain->Add("idet");
                chain->Finish("buffersink");
            }
            // A change of size or format mid-stream ends the look: the counts so far decide.
            if (frame->width != width || frame->height != height || frame->format != pixel_format) {
                pictures = kPictures;
                return;
            }
            chain->Push(frame);
            ++pictures;
            drain();
        };
        PacketPtr packet = MakePacket();
        while (pictures < kPictures && av_read_frame(format.get(), packet.get()) >= 0) {
            if (packet->stream_index == stream_index)
                decoder.Decode(packet.get(), sink);
            av_packet_unref(packet.get());
        }
        if (pictures < kPictures)
            decoder.Decode(nullptr, sink);
        if (chain) {
            chain->Push(nullptr);
            drain();
        }
    } catch (const EngineError &) {
        // An undecodable start is the conversion's to report, not this look's.
    }
    return counts;
}

AVFieldOrder InterlaceProbe::Detect(const std::string &path, int stream_index)
{
    return Count(path, stream_index).Verdict();
}

} // namespace dolmar
