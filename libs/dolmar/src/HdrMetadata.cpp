// SPDX-License-Identifier: GPL-3.0-or-later
#include "HdrMetadata.h"

#include "LeadingPictures.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace dolmar {

namespace {

// x265 counts chromaticity in steps of 0.00002 and luminance in steps of 0.0001 cd/m2.
long Chromaticity(AVRational q)
{
    return std::lround(av_q2d(q) * 50000.0);
}

long Luminance(AVRational q)
{
    return std::lround(av_q2d(q) * 10000.0);
}

void AddSideData(AVCodecContext *encoder, AVPacketSideDataType type, const void *data,
                 std::size_t size)
{
    auto *copy = static_cast<uint8_t *>(av_malloc(size));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, data, size);
    auto *grown = static_cast<AVPacketSideData *>(av_realloc_array(
        encoder->coded_side_data, static_cast<std::size_t>(encoder->nb_coded_side_data) + 1,
        sizeof(AVPacketSideData)));
    if (!grown) {
        av_free(copy);
        throw std::bad_alloc();
    }
    encoder->coded_side_data = grown;
    AVPacketSideData &entry = grown[encoder->nb_coded_side_data++];
    entry.type = type;
    entry.data = copy;
    entry.size = size;
}

} // namespace

std::string HdrMetadata::X265Params() const
{
    std::string params;
    if (mastering && mastering->has_primaries && mastering->has_luminance) {
        const AVMasteringDisplayMetadata &m = *mastering;
        // AVMasteringDisplayMetadata lists red, green, blue; x265 wants green, blue, red.
        char text[160];
        std::snprintf(
            text, sizeof text, "master-display=G(%ld,%ld)B(%ld,%ld)R(%ld,%ld)WP(%ld,%ld)L(%ld,%ld)",
            Chromaticity(m.display_primaries[1][0]), Chromaticity(m.display_primaries[1][1]),
            Chromaticity(m.display_primaries[2][0]), Chromaticity(m.display_primaries[2][1]),
            Chromaticity(m.display_primaries[0][0]), Chromaticity(m.display_primaries[0][1]),
            Chromaticity(m.white_point[0]), Chromaticity(m.white_point[1]),
            Luminance(m.max_luminance), Luminance(m.min_luminance));
        params = text;
    }
    if (light) {
        if (!params.empty())
            params += ':';
        params += "max-cll=" + std::to_string(light->MaxCLL) + "," + std::to_string(light->MaxFALL);
    }
    return params;
}

void HdrMetadata::AddTo(AVCodecContext *encoder) const
{
    if (mastering)
        AddSideData(encoder, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &*mastering,
                    sizeof(AVMasteringDisplayMetadata));
    if (light)
        AddSideData(encoder, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &*light,
                    sizeof(AVContentLightMetadata));
}

HdrMetadata HdrMetadata::FromStream(const AVStream *stream)
{
    HdrMetadata metadata;
    std::size_t size = 0;
    const uint8_t *data
        = av_stream_get_side_data(stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &size);
    if (data && size >= sizeof(AVMasteringDisplayMetadata)) {
        AVMasteringDisplayMetadata mastering{};
        std::memcpy(&mastering, data, sizeof mastering);
        metadata.mastering = mastering;
    }
    data = av_stream_get_side_data(stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &size);
    if (data && size >= sizeof(AVContentLightMetadata)) {
        AVContentLightMetadata light{};
        std::memcpy(&light, data, sizeof light);
        metadata.light = light;
    }
    return metadata;
}

HdrMetadata HdrMetadata::FromFrame(const AVFrame *frame)
{
    HdrMetadata metadata;
    const AVFrameSideData *side
        = av_frame_get_side_data(frame, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA);
    if (side && side->size >= sizeof(AVMasteringDisplayMetadata)) {
        AVMasteringDisplayMetadata mastering{};
        std::memcpy(&mastering, side->data, sizeof mastering);
        metadata.mastering = mastering;
    }
    side = av_frame_get_side_data(frame, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL);
    if (side && side->size >= sizeof(AVContentLightMetadata)) {
        AVContentLightMetadata light{};
        std::memcpy(&light, side->data, sizeof light);
        metadata.light = light;
    }
    return metadata;
}

HdrMetadata HdrMetadata::FromFirstPicture(const std::string &path, const std::string &format,
                                          int stream_index, const AVIOInterruptCB &interrupt)
{
    HdrMetadata metadata;
    LeadingPictures::Decode(
        path, format, stream_index, 1,
        [&](const AVFrame *frame) {
            metadata = FromFrame(frame);
            return false;
        },
        interrupt);
    return metadata;
}

namespace dynamic_range {

bool IsHdrTransfer(AVColorTransferCharacteristic transfer)
{
    return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67;
}

bool KeepsHdr(const AVCodec *encoder, AVPixelFormat pixel_format)
{
    if (!encoder)
        return false;
    // A lossless encoder (an archive's FFV1) keeps the picture as it was coded: mapping an HDR
    // master to SDR there would throw away what the archive is for.
    const AVCodecDescriptor *codec = avcodec_descriptor_get(encoder->id);
    const bool lossless
        = codec && (codec->props & AV_CODEC_PROP_LOSSLESS) && !(codec->props & AV_CODEC_PROP_LOSSY);
    const bool hdr_codec = encoder->id == AV_CODEC_ID_HEVC || encoder->id == AV_CODEC_ID_AV1
        || encoder->id == AV_CODEC_ID_VP9 || lossless;
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(pixel_format);
    return hdr_codec && desc && desc->comp[0].depth >= 10;
}

bool IsHdrFrame(const AVFrame *frame)
{
    return IsHdrTransfer(FrameTransfer(frame));
}

AVColorTransferCharacteristic FrameTransfer(const AVFrame *frame)
{
    if (frame->color_trc != AVCOL_TRC_UNSPECIFIED)
        return frame->color_trc;
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (desc && desc->comp[0].depth >= 10
        && av_frame_get_side_data(frame, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA))
        return AVCOL_TRC_SMPTE2084;
    return frame->color_trc;
}

} // namespace dynamic_range

} // namespace dolmar
