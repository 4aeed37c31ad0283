// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process track reader against mkvmerge -J, field by field, on files made at test time
// with ffmpeg and mkvmerge, on files written element by element, and on damaged copies: where
// the reader answers, its answer must be mkvmerge's.
#include "LanguageCodes.h"
#include "MkvError.h"
#include "TrackHeaderReader.h"
#include "TrackIdentifier.h"

#include "EbmlBuilder.h"
#include "MatroskaIds.h"
#include "MatroskaSamples.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace mkvextract {
// Readable failures: gtest prints a track as its fields.
void PrintTo(const TrackRecord &track, std::ostream *out)
{
    *out << "{" << track.id << ", type " << track.type << ", " << track.codec_id << ", "
         << track.language << ", \"" << track.name << "\"}";
}
} // namespace mkvextract

namespace mkvextract_test {
namespace {

namespace fs = std::filesystem;
using namespace mkvextract;
using namespace mkvextract_test::ebml;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

/// mkvmerge's answer: its tracks, or why it refused the file.
struct MkvmergeAnswer
{
    bool refused = false;
    std::string why;
    std::vector<TrackRecord> tracks;
};

MkvmergeAnswer AskMkvmerge(const fs::path &file)
{
    try {
        return {false, {}, TrackIdentifier::IdentifyWithMkvmerge(file.string())};
    } catch (const MkvError &e) {
        return {true, e.what(), {}};
    }
}

/// The reader must answer for file, and answer as mkvmerge does.
void ExpectReadAsMkvmerge(const fs::path &file)
{
    SCOPED_TRACE(file.filename());
    std::string why;
    const auto ours = TrackHeaderReader::Read(file.string(), &why);
    ASSERT_TRUE(ours) << "left to mkvmerge: " << why;
    const MkvmergeAnswer theirs = AskMkvmerge(file);
    ASSERT_FALSE(theirs.refused) << theirs.why;
    EXPECT_EQ(*ours, theirs.tracks);
}

/// The reader must leave file to mkvmerge (Identify then asks it, as em_gettrackinfo's tests
/// show).
void ExpectLeftToMkvmerge(const fs::path &file)
{
    const auto ours = TrackHeaderReader::Read(file.string());
    EXPECT_FALSE(ours) << file.filename() << " was read in process, with " << ours->size()
                       << " tracks";
}

std::vector<std::string> Ffmpeg(std::initializer_list<std::string> middle, const fs::path &out)
{
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
    argv.insert(argv.end(), middle);
    argv.push_back(out.string());
    return argv;
}

const std::string kVideo = "testsrc2=size=96x64:rate=10:duration=1";
const std::string kTone = "sine=frequency=440:duration=1";

TEST(TrackReader, readsFilesOfMuxersExactlyAsMkvmerge)
{
    TempDir dir;
    const fs::path srt = WriteFile(dir.path() / "in.srt", "1\n00:00:00,100 --> 00:00:00,900\nHi\n");
    const fs::path h264 = dir.path() / "h264.mkv";
    RunTool(Ffmpeg({"-f",
                    "lavfi",
                    "-i",
                    kVideo,
                    "-f",
                    "lavfi",
                    "-i",
                    kTone,
                    "-i",
                    srt.string(),
                    "-map",
                    "0",
                    "-map",
                    "1",
                    "-map",
                    "2",
                    "-c:v",
                    "libx264",
                    "-c:a",
                    "aac",
                    "-c:s",
                    "subrip",
                    "-metadata:s:s:0",
                    "language=deu",
                    "-metadata:s:s:0",
                    "title=Deutsch ü",
                    "-metadata:s:a:0",
                    "language=jpn"},
                   h264));
    const fs::path audio = dir.path() / "audio.mkv";
    RunTool(
        Ffmpeg({"-f",   "lavfi", "-i",     kVideo, "-f",     "lavfi",      "-i",     kTone,
                "-map", "0",     "-map",   "1",    "-map",   "1",          "-map",   "1",
                "-c:v", "mpeg4", "-c:a:0", "flac", "-c:a:1", "libmp3lame", "-c:a:2", "pcm_s16le"},
               audio));
    const fs::path webm = dir.path() / "opus.webm";
    RunTool(Ffmpeg({"-f", "lavfi", "-i", kVideo, "-f", "lavfi", "-i", kTone, "-c:v", "libvpx",
                    "-c:a", "libopus"},
                   webm));
    // mkvmerge's own writing: IETF language elements beside the old ones, names of every
    // script, chapters, an attachment, zlib-compressed VobSub.
    const fs::path remuxed = dir.path() / "remuxed.mkv";
    RunTool({"mkvmerge",
             "-q",
             "-o",
             remuxed.string(),
             "--language",
             "0:pt-BR",
             "--track-name",
             "0:Vídeo 😀 \"quoted\"\ttab",
             "--language",
             "2:zh",
             "--track-name",
             "2:字幕",
             h264.string(),
             "--generate-chapters",
             "interval:300ms",
             "--attachment-mime-type",
             "text/plain",
             "--attach-file",
             srt.string(),
             Samples().full.string()});

    // mkvmerge's file with its track list moved behind the clusters: read through the seek
    // head; without one, mkvmerge searches the end of the file itself.
    std::vector<std::string> front, back;
    for (const std::string &child : SegmentChildren(Samples().full)) {
        const std::uint32_t id = IdOf(child);
        if (id == kTracksId)
            back.push_back(child);
        else if (id != kSeekHeadId && id != kVoidId && id != kCuesId)
            front.push_back(child);
    }
    front.insert(front.end(), back.begin(), back.end());
    const fs::path at_end = WriteFile(dir.path() / "tracks-at-end.mkv", File(WithSeekHead(front)));
    const fs::path unseekable
        = WriteFile(dir.path() / "tracks-at-end-no-seek-head.mkv", File(front));

    for (const fs::path &file :
         {Samples().full, Samples().long_name, h264, audio, webm, remuxed, at_end})
        ExpectReadAsMkvmerge(file);
    ExpectLeftToMkvmerge(unseekable);
    EXPECT_EQ(TrackIdentifier::Identify(unseekable.string()).size(), 5u);
}

TEST(TrackReader, leavesCodecsMkvmergeChecksToIt)
{
    TempDir dir;
    const fs::path vorbis = dir.path() / "vorbis.webm";
    RunTool(Ffmpeg({"-f", "lavfi", "-i", kVideo, "-f", "lavfi", "-i", kTone, "-c:v", "libvpx",
                    "-c:a", "libvorbis"},
                   vorbis));
    for (const fs::path &file : {Samples().needs_mkvmerge, vorbis})
        ExpectLeftToMkvmerge(file);
    EXPECT_EQ(TrackIdentifier::Identify(Samples().needs_mkvmerge.string()).size(), 3u);
}

/// A file of the given entries after an Info element, with a seek head, and one cluster.
std::string PlainFile(const std::vector<Entry> &entries)
{
    return File(WithSeekHead({Info(), Tracks(entries), Cluster()}));
}

Entry Subtitle(std::uint64_t number, std::optional<std::string> language = std::nullopt,
               std::optional<std::string> name = std::nullopt)
{
    return Entry{.number = number,
                 .type = 0x11,
                 .codec = "S_TEXT/UTF8",
                 .language = std::move(language),
                 .name = std::move(name)};
}

TEST(TrackReader, reportsLanguagesAsMkvmergeMapsThem)
{
    TempDir dir;
    // Every code of the table at once, the terminology codes among them ("deu" is reported as
    // "ger"), an empty element ("und"), a missing one ("eng") and text after a NUL.
    std::vector<Entry> entries;
    for (const std::string_view code : KnownLanguageCodes())
        entries.push_back(Subtitle(entries.size() + 1, std::string(code)));
    entries.push_back(Subtitle(entries.size() + 1, std::string()));
    entries.push_back(Subtitle(entries.size() + 1));
    entries.push_back(Subtitle(entries.size() + 1, std::string("fre\0xx", 6)));
    ExpectReadAsMkvmerge(WriteFile(dir.path() / "codes.mkv", PlainFile(entries)));

    // Codes mkvmerge maps through tables of its own: left to it.
    for (const std::string code : {"en", "ENG", "xyz", "qaa", "de-DE", "fr-CA"}) {
        ExpectLeftToMkvmerge(
            WriteFile(dir.path() / ("code-" + code + ".mkv"), PlainFile({Subtitle(1, code)})));
    }
}

TEST(TrackReader, readsOddButSoundStructuresAsMkvmerge)
{
    TempDir dir;
    const std::string end_tracks = Tracks({Subtitle(1, "ger"), Subtitle(2)});
    const std::string early_tracks = Tracks({Subtitle(7, "jpn")});
    const std::string crc = Element(kCrc32Id, std::string(4, '\x55'));
    const std::string zlib_frames
        = Master(kContentEncodingsId,
                 {Master(kContentEncodingId,
                         {Unsigned(kContentEncodingTypeId, 0), Unsigned(kContentEncodingScopeId, 1),
                          Master(kContentCompressionId, {Unsigned(kContentCompAlgoId, 0)})})});
    const std::pair<const char *, std::string> files[] = {
        // The track list after the clusters, reached through the seek head.
        {"tracks-at-end", File(WithSeekHead({Info(), Cluster(), end_tracks}))},
        // A second list after the clusters that no seek entry names: mkvmerge never sees it.
        {"unnamed-second-list",
         File({Master(kSeekHeadId, {}), Info(), early_tracks, Cluster(), end_tracks})},
        {"padding-and-checksums",
         File(WithSeekHead(
             {Element(kVoidId, std::string(30, '\0')), Info(),
              Master(kTracksId,
                     {crc, TrackEntry(Subtitle(1, "spa", "Español")), Element(kVoidId, "")}),
              Cluster()}))},
        {"nul-padded-text",
         PlainFile({Entry{.number = 1,
                          .type = 0x11,
                          .codec = std::string("S_TEXT/ASS\0\0", 12),
                          .language = std::string("ita\0", 4),
                          .name = std::string("Name\0after", 10)}})},
        {"names-of-every-kind",
         PlainFile({Subtitle(1, "eng", "😀 \x01 \"q\" \\ \x7f ¡"), Subtitle(2, "eng", ""),
                    Subtitle(3, "eng",
                             "\xEF\xBB\xBF"
                             "bom")})},
        {"zlib-compressed-frames",
         PlainFile({Entry{.number = 1,
                          .type = 0x11,
                          .codec = "S_VOBSUB",
                          .language = "ger",
                          .extra = zlib_frames}})},
        {"video-audio-subtitles",
         PlainFile({Entry{.number = 1, .type = 1, .codec = "V_MPEG4/ISO/AVC"},
                    Entry{.number = 2, .type = 2, .codec = "A_AAC", .language = "eng"},
                    Entry{.number = 3,
                          .type = 2,
                          .codec = "A_OPUS",
                          .extra = Element(kCodecPrivateId, "Opus")},
                    Entry{.number = 4, .type = 0x11, .codec = "S_HDMV/PGS"}})},
        {"webm",
         File(WithSeekHead(
                  {Info(), Tracks({Entry{.number = 1, .type = 1, .codec = "V_VP9"}}), Cluster()}),
              "webm")},
        {"no-cluster", File(WithSeekHead({Info(), Tracks({Subtitle(1)})}))},
    };
    for (const auto &[name, bytes] : files)
        ExpectReadAsMkvmerge(WriteFile(dir.path() / (std::string(name) + ".mkv"), bytes));
}

TEST(TrackReader, leavesOddStructuresToMkvmerge)
{
    TempDir dir;
    const std::string tracks = Tracks({Subtitle(1, "ger"), Subtitle(2)});
    const std::string encrypted = Master(
        kContentEncodingsId, {Master(kContentEncodingId, {Unsigned(kContentEncodingTypeId, 1)})});
    const std::string compressed_private = Master(
        kContentEncodingsId, {Master(kContentEncodingId, {Unsigned(kContentEncodingScopeId, 3)})});
    const std::string bad_title_info
        = Master(kInfoId, {Unsigned(0x2AD7B1, 1000000), Text(0x7BA9, "\xC0\xAF")});
    const std::string cut = PlainFile({Subtitle(1)});

    const std::pair<const char *, std::string> files[] = {
        // mkvmerge then searches the end of the file for more elements.
        {"no-seek-head", File({Info(), tracks, Cluster()})},
        {"two-track-lists", File(WithSeekHead({Info(), tracks, Cluster(), tracks}))},
        {"number-used-twice", PlainFile({Subtitle(1), Subtitle(1)})},
        {"entry-without-number",
         PlainFile({Entry{.type = 0x11, .codec = "S_TEXT/UTF8"}, Subtitle(2)})},
        {"entry-without-codec", PlainFile({Entry{.number = 1, .type = 0x11}, Subtitle(2)})},
        {"entry-without-type",
         PlainFile({Entry{.number = 1, .codec = "S_TEXT/UTF8"}, Subtitle(2)})},
        {"buttons-track",
         PlainFile({Entry{.number = 1, .type = 0x12, .codec = "B_VOBBTN"}, Subtitle(2)})},
        {"unknown-subtitle-codec",
         PlainFile({Entry{.number = 1, .type = 0x11, .codec = "S_DVBSUB"}})},
        {"video-without-size",
         PlainFile(
             {Entry{.number = 1, .type = 1, .codec = "V_MPEG4/ISO/AVC", .picture = {{0, 48}}}})},
        {"opus-without-private-data",
         PlainFile({Entry{.number = 1, .type = 2, .codec = "A_OPUS"}})},
        {"encrypted-track",
         PlainFile({Entry{.number = 1, .type = 0x11, .codec = "S_TEXT/UTF8", .extra = encrypted}})},
        {"compressed-private-data",
         PlainFile({Entry{.number = 1,
                          .type = 0x11,
                          .codec = "S_VOBSUB",
                          .extra = Element(kCodecPrivateId, "x") + compressed_private}})},
        {"name-not-utf8", PlainFile({Subtitle(1, "eng", "\xC0\xAF overlong")})},
        // mkvmerge stops at the title and lists no track at all.
        {"title-not-utf8", File(WithSeekHead({bad_title_info, tracks, Cluster()}))},
        {"unknown-element-in-entry",
         PlainFile({Entry{
             .number = 1, .type = 0x11, .codec = "S_TEXT/UTF8", .extra = Unsigned(0x4321, 5)}})},
        {"unknown-element-in-segment",
         File(WithSeekHead({Info(), Unsigned(0x4321, 5), tracks, Cluster()}))},
        {"segment-of-unknown-size",
         EbmlHeader() + OpenMaster(kSegmentId, {Master(kSeekHeadId, {}), Info(), tracks})},
        {"cluster-of-unknown-size",
         File({Master(kSeekHeadId, {}), Info(), tracks,
               OpenMaster(kClusterId, {Unsigned(0xE7, 0)})})},
        {"cluster-child-reaching-past-it",
         File(WithSeekHead({Info(), tracks, Element(kClusterId, std::string("\xE7\x88\x00", 3))}))},
        {"seek-entry-outside-the-file",
         File({Master(kSeekHeadId,
                      {Master(kSeekId,
                              {Element(kSeekIdId, "\x16\x54\xAE\x6B"),
                               Unsigned(kSeekPositionId, 1u << 30)})}),
               Info(), tracks, Cluster()})},
        {"doc-type-of-another-format", File(WithSeekHead({Info(), tracks}), "mka-ish")},
        {"cut-short", cut.substr(0, cut.size() - 3)},
    };
    for (const auto &[name, bytes] : files)
        ExpectLeftToMkvmerge(WriteFile(dir.path() / (std::string(name) + ".mkv"), bytes));
}

/// The byte ranges the reader looks at in a file: the EBML header and the segment's children
/// before its first cluster, padding left out.
std::vector<std::pair<std::size_t, std::size_t>> HeaderRanges(const fs::path &file)
{
    const std::string bytes = ReadFile(file);
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t at = bytes.size() - [&] {
        std::size_t total = 0;
        for (const std::string &child : SegmentChildren(file))
            total += child.size();
        return total;
    }();
    ranges.emplace_back(0, at);
    for (const std::string &child : SegmentChildren(file)) {
        if (IdOf(child) == kClusterId)
            break;
        if (IdOf(child) != kVoidId)
            ranges.emplace_back(at, at + child.size());
        at += child.size();
    }
    return ranges;
}

TEST(TrackReader, damagedCopiesNeverGiveAnAnswerOtherThanMkvmerges)
{
    TempDir dir;
    std::mt19937 random(13); // fixed, so a failure can be run again
    int compared = 0, left = 0;
    for (const fs::path &base : {Samples().full, Samples().long_name}) {
        const std::string bytes = ReadFile(base);
        std::vector<std::string> copies;
        // Cut inside the headers and among the clusters.
        for (std::size_t at = 7; at < bytes.size(); at += bytes.size() / 12)
            copies.push_back(bytes.substr(0, at));
        // Bytes overwritten where the reader looks: zeros, random bytes, single bits.
        const auto ranges = HeaderRanges(base);
        for (int i = 0; i < 45; ++i) {
            const auto &[begin, end] = ranges[random() % ranges.size()];
            std::string copy = bytes;
            const std::size_t at = begin + random() % (end - begin);
            const std::size_t length = i % 3 == 2 ? 1 : 1 + random() % 4;
            for (std::size_t k = at; k < std::min(end, at + length); ++k) {
                copy[k] = static_cast<char>(i % 3 == 0       ? 0
                                                : i % 3 == 1 ? random() % 256
                                                             : copy[k] ^ (1 << (random() % 8)));
            }
            copies.push_back(std::move(copy));
        }
        for (std::size_t i = 0; i < copies.size(); ++i) {
            const fs::path copy
                = WriteFile(dir.path() / ("damaged" + std::to_string(i) + ".mkv"), copies[i]);
            SCOPED_TRACE(base.filename().string() + " copy " + std::to_string(i));
            const auto ours = TrackHeaderReader::Read(copy.string());
            if (!ours) {
                ++left;
                continue;
            }
            const MkvmergeAnswer theirs = AskMkvmerge(copy);
            EXPECT_FALSE(theirs.refused) << theirs.why;
            EXPECT_EQ(*ours, theirs.tracks);
            ++compared;
        }
    }
    // Both ways are taken: damage to a name's letters, say, changes the answer but not whether
    // it can be read.
    EXPECT_GT(compared, 10);
    EXPECT_GT(left, 10);
    std::printf("damaged copies: %d read in process, each as mkvmerge reads it; %d left to "
                "mkvmerge\n",
                compared, left);
}

} // namespace
} // namespace mkvextract_test
