// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceTags.h"

#include "EngineError.h"
#include "LogCapture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace dolmar {

namespace {

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// Tags about the file rather than the content: each muxer writes its own encoder name, brands
// belong to the MP4 file they came from, iTunSMPB is the delay and padding of the AAC encoder
// that made the source (a player honouring it on our file would cut real sound), and TLEN is
// the source's length, which a -ss/-t cut changes. Pictures kept as text tags are read as
// cover pictures instead.
constexpr std::array<std::string_view, 10> kEncodingKeys
    = {"encoder",  "major_brand", "minor_version",          "compatible_brands", "itunsmpb",
       "itunnorm", "tlen",        "metadata_block_picture", "coverart",          "handler_name"};

const AVStream *TaggedAudioStream(const AVFormatContext *source, int audio_stream)
{
    if (audio_stream >= 0 && audio_stream < static_cast<int>(source->nb_streams)
        && source->streams[audio_stream]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
        return source->streams[audio_stream];
    for (unsigned i = 0; i < source->nb_streams; ++i)
        if (source->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            return source->streams[i];
    return nullptr;
}

void Collect(const AVDictionary *dictionary, SourceTags::Entries &tags)
{
    const AVDictionaryEntry *entry = nullptr;
    while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        if (SourceTags::DescribesEncoding(entry->key) || !entry->value || !*entry->value)
            continue;
        // The container's tag wins over the stream's of the same name.
        const bool known = std::any_of(tags.begin(), tags.end(), [&](const auto &tag) {
            return SameText(tag.first, entry->key);
        });
        if (!known)
            tags.emplace_back(entry->key, entry->value);
    }
}

bool CoverCodec(AVCodecID id)
{
    // What both ID3v2 and the MP4 cover atom can hold.
    return id == AV_CODEC_ID_MJPEG || id == AV_CODEC_ID_PNG;
}

/// Fills in the picture's size where the demuxer left it out (ID3v2 and MP4 covers are read
/// without decoding them), which every muxer wants; false when the picture cannot be decoded.
bool KnowPictureSize(AVCodecParameters *parameters, const AVPacket *picture)
{
    if (parameters->width > 0 && parameters->height > 0)
        return true;
    const AVCodec *decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        return false;
    const CodecContextPtr ctx(avcodec_alloc_context3(decoder));
    const FramePtr frame = MakeFrame();
    if (!ctx || avcodec_parameters_to_context(ctx.get(), parameters) < 0
        || avcodec_open2(ctx.get(), decoder, nullptr) < 0
        || avcodec_send_packet(ctx.get(), picture) < 0
        || avcodec_send_packet(ctx.get(), nullptr) < 0
        || avcodec_receive_frame(ctx.get(), frame.get()) < 0) {
        LogCapture::TakeLastError();
        return false;
    }
    parameters->width = frame->width;
    parameters->height = frame->height;
    parameters->format = frame->format;
    return parameters->width > 0 && parameters->height > 0;
}

} // namespace

bool SourceTags::DescribesEncoding(std::string_view key)
{
    return std::any_of(kEncodingKeys.begin(), kEncodingKeys.end(),
                       [&](std::string_view known) { return SameText(known, key); });
}

bool SourceTags::KeepsTagsOnStreams(std::string_view format_name)
{
    // The demuxer's name for every Ogg file, and the muxers' for each kind of Ogg file.
    return format_name == "ogg" || format_name == "oga" || format_name == "opus"
        || format_name == "spx";
}

bool SourceTags::KeepsCover(std::string_view format_name, bool has_video)
{
    if (format_name == "mp3")
        return true;
    return !has_video && (format_name == "ipod" || format_name == "mp4");
}

SourceTags SourceTags::Read(const AVFormatContext *source, int audio_stream)
{
    SourceTags tags;
    Collect(source->metadata, tags.m_tags);
    if (source->iformat && KeepsTagsOnStreams(source->iformat->name))
        if (const AVStream *stream = TaggedAudioStream(source, audio_stream))
            Collect(stream->metadata, tags.m_tags);

    tags.m_chapters = Chapters::Read(source);

    for (unsigned i = 0; i < source->nb_streams; ++i) {
        const AVStream *stream = source->streams[i];
        if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->attached_pic.size <= 0
            || !CoverCodec(stream->codecpar->codec_id))
            continue;
        std::shared_ptr<AVPacket> cover(av_packet_clone(&stream->attached_pic),
                                        [](AVPacket *p) { av_packet_free(&p); });
        std::shared_ptr<AVCodecParameters> parameters(
            avcodec_parameters_alloc(), [](AVCodecParameters *p) { avcodec_parameters_free(&p); });
        if (!cover || !parameters)
            throw std::bad_alloc();
        CheckAv(avcodec_parameters_copy(parameters.get(), stream->codecpar), "read the cover of",
                source->url ? source->url : "");
        // A picture that cannot be read is no cover; another stream may hold a better one.
        if (!KnowPictureSize(parameters.get(), cover.get()))
            continue;
        tags.m_cover = std::move(cover);
        tags.m_cover_parameters = std::move(parameters);
        break;
    }
    return tags;
}

SourceTags SourceTags::ReadFile(const InputOptions &input, int audio_stream,
                                const AVIOInterruptCB &interrupt)
{
    // Opening again reads the start of the file once more; a pipe or a device would give its
    // data to this reader instead of the conversion's.
    std::error_code error;
    if (!std::filesystem::is_regular_file(input.path, error))
        return {};
    const AVInputFormat *forced
        = input.format.empty() ? nullptr : av_find_input_format(input.format.c_str());
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        throw std::bad_alloc();
    raw->interrupt_callback = interrupt;
    if (avformat_open_input(&raw, input.path.c_str(), forced, nullptr) < 0) {
        // The input itself was opened a moment ago; whatever went wrong now, the conversion
        // reports it if it matters, and the output simply carries no tags.
        LogCapture::TakeLastError();
        return {};
    }
    const InputContextPtr source(raw);
    SourceTags tags = Read(source.get(), audio_stream);
    std::optional<double> length_s;
    if (input.duration_us)
        length_s = *input.duration_us / 1e6;
    tags.m_chapters = Chapters::Trimmed(tags.m_chapters, input.start_us / 1e6, length_s);
    tags.m_interrupt = interrupt;
    return tags;
}

void SourceTags::ApplyTags(AVFormatContext *output) const
{
    const bool on_streams = KeepsTagsOnStreams(output->oformat->name);
    for (const auto &[key, value] : m_tags) {
        CheckAv(av_dict_set(&output->metadata, key.c_str(), value.c_str(), 0), "tag", output->url);
        if (!on_streams)
            continue;
        for (unsigned i = 0; i < output->nb_streams; ++i)
            if (output->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                CheckAv(av_dict_set(&output->streams[i]->metadata, key.c_str(), value.c_str(), 0),
                        "tag", output->url);
    }
}

int SourceTags::AddCoverStream(AVFormatContext *output) const
{
    AVStream *stream = avformat_new_stream(output, nullptr);
    if (!stream)
        throw std::bad_alloc();
    CheckAv(avcodec_parameters_copy(stream->codecpar, m_cover_parameters.get()),
            "prepare the cover picture of", output->url);
    // The source container's code for the picture means nothing in another container.
    stream->codecpar->codec_tag = 0;
    stream->disposition = AV_DISPOSITION_ATTACHED_PIC;
    stream->time_base = AVRational{1, 90000};
    return stream->index;
}

PacketPtr SourceTags::CoverPacket(int stream_index) const
{
    PacketPtr packet(av_packet_clone(m_cover.get()));
    if (!packet)
        throw std::bad_alloc();
    packet->stream_index = stream_index;
    packet->pts = 0;
    packet->dts = 0;
    packet->duration = 0;
    packet->pos = -1;
    packet->flags |= AV_PKT_FLAG_KEY;
    return packet;
}

} // namespace dolmar
