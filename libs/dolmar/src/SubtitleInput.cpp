// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubtitleInput.h"

#include "EngineError.h"

#include <new>

namespace dolmar {

SubtitleInput SubtitleInput::Open(const std::string &path, const AVInputFormat *forced,
                                  AVDictionary **options)
{
    AVFormatContext *raw = nullptr;
    const int ret = avformat_open_input(&raw, path.c_str(), forced, options);
    if (ret < 0)
        ThrowAvError(ret, "read the subtitle file", path);
    SubtitleInput input;
    input.format.reset(raw);
    for (unsigned i = 0; i < input.format->nb_streams && !input.stream; ++i)
        if (input.format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
            input.stream = input.format->streams[i];
    if (!input.stream)
        ThrowFailed("The file " + Quoted(path) + " holds no subtitles.");
    return input;
}

CodecContextPtr SubtitleInput::OpenDecoder(const std::string &path,
                                           AVDictionary **codec_options) const
{
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        ThrowFailed("This system cannot read the subtitles of " + Quoted(path) + ".");
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder)
        throw std::bad_alloc();
    CheckAv(avcodec_parameters_to_context(decoder.get(), stream->codecpar),
            "read the subtitle file", path);
    decoder->pkt_timebase = stream->time_base;
    CheckAv(avcodec_open2(decoder.get(), codec, codec_options), "read the subtitle file", path);
    return decoder;
}

} // namespace dolmar
