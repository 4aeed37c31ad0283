// SPDX-License-Identifier: GPL-3.0-or-later
// What of the source's description an output keeps: its tags (the container's, and those an
// audio stream carries), its chapters and an attached cover picture.
#pragma once

#include "AvOwners.h"
#include "Chapters.h"
#include "ConversionPlan.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dolmar {

/// The source's tags (title, artist, album, track, date, ...) and its cover picture, read once
/// and then given to the output's container.
///
/// Most formats keep tags on the container; Ogg (Vorbis, Opus, FLAC in Ogg) keeps them on each
/// stream, so there the tags of the audio stream the output takes are read too, and an Ogg output
/// gets them on its audio streams. Tags that describe the source file's encoding rather than its
/// content (the encoder's name, the MP4 brands, an AAC encoder's gapless delay, a length in
/// milliseconds) are left out: they would be wrong for the new file.
class SourceTags
{
public:
    using Entries = std::vector<std::pair<std::string, std::string>>;

    SourceTags() = default;

    /// Reads an opened source's tags and its first cover picture in JPEG or PNG. audio_stream:
    /// the source stream whose tags an Ogg source keeps (-1: its first audio stream).
    static SourceTags Read(const AVFormatContext *source, int audio_stream);

    /**
     * Opens input just far enough to read its header, where tags, chapters and cover pictures
     * are kept, and reads them (Read); the chapters as input's -ss and -t leave them. Only a
     * regular file is opened again (a pipe's data belongs to the conversion). A file that cannot be
     * opened has no tags: that is for the conversion to report, not for its description.
     * @param interrupt lets a stop end a slow open
     */
    static SourceTags ReadFile(const InputOptions &input, int audio_stream,
                               const AVIOInterruptCB &interrupt);

    /// True when the key describes the source's encoding, not its content.
    static bool DescribesEncoding(std::string_view key);
    /// True when the format keeps tags on its streams rather than on the container (Ogg).
    static bool KeepsTagsOnStreams(std::string_view format_name);
    /// True when the format keeps a cover picture beside the sound: MP3 (ID3v2) and MP4/M4A,
    /// the latter only without a picture of its own, where a cover would be taken for video.
    static bool KeepsCover(std::string_view format_name, bool has_video);

    const Entries &Tags() const { return m_tags; }
    /// The chapters, on the source's clock (Read) or on the output's (ReadFile).
    const std::vector<Chapter> &ChapterList() const { return m_chapters; }
    /// The interrupt callback ReadFile was given, for further looks into the inputs.
    const AVIOInterruptCB &Interrupt() const { return m_interrupt; }
    bool HasCover() const { return m_cover != nullptr; }

    /// Gives output the tags: on the container, and on its audio streams where the format keeps
    /// them there. Call after the streams are added and before the header is written.
    void ApplyTags(AVFormatContext *output) const;

    /// Adds a stream for the cover picture to output (disposition attached picture) and returns
    /// its index. The picture is the stream's one packet (CoverPacket).
    int AddCoverStream(AVFormatContext *output) const;
    /// A new reference to the cover's packet, for stream_index.
    PacketPtr CoverPacket(int stream_index) const;

private:
    Entries m_tags;
    std::vector<Chapter> m_chapters;
    AVIOInterruptCB m_interrupt{};
    std::shared_ptr<const AVPacket> m_cover; ///< shared: the copies a session makes are cheap
    std::shared_ptr<const AVCodecParameters> m_cover_parameters;
};

} // namespace dolmar
