// SPDX-License-Identifier: GPL-3.0-or-later
#include "mkvextract.h"

#include "MatroskaSamples.h"
#include "MediaFixtures.h"
#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace mkvextract_test {
namespace {

namespace fs = std::filesystem;
using quillet::test::TempDir;
using quillet::test::WriteFile;

struct InfoDeleter
{
    void operator()(EmTrackInfo *info) const { em_freetrackinfo(info); }
};
using InfoPtr = std::unique_ptr<EmTrackInfo, InfoDeleter>;

/// em_gettrackinfo's result and record; the pointer starts as garbage so a failure that
/// forgets to clear it shows.
struct Identified
{
    int result = 0;
    InfoPtr info;
};

Identified Identify(const fs::path &path)
{
    EmTrackInfo garbage{};
    EmTrackInfo *raw = &garbage;
    Identified identified;
    identified.result = em_gettrackinfo(path.c_str(), &raw);
    if (identified.result == 0)
        identified.info.reset(raw);
    else
        EXPECT_EQ(raw, nullptr) << "a failure must leave no track information";
    return identified;
}

TEST(TrackInfo, reportsEveryTrackWithTypeCodecLanguageAndName)
{
    auto identified = Identify(Samples().full);
    ASSERT_EQ(identified.result, 0);
    const EmTrackInfo &info = *identified.info;
    ASSERT_EQ(info.count, 5);

    struct Expected
    {
        int type;
        const char *codec;
        const char *language;
        const char *name;
    };
    const Expected expected[] = {
        {EM_TRACK_VIDEO, "V_MPEG4/ISO/ASP", "und", ""},
        {EM_TRACK_AUDIO, "A_AAC", "und", ""},
        {EM_TRACK_SUBTITLE, "S_TEXT/UTF8", "eng", "English text"},
        {EM_TRACK_SUBTITLE, "S_TEXT/ASS", "fre", ""},
        {EM_TRACK_SUBTITLE, "S_VOBSUB", "ger", ""},
    };
    for (int i = 0; i < info.count; ++i) {
        SCOPED_TRACE(i);
        const EmTrack &track = *info.tracks[i];
        EXPECT_EQ(track.number, i);
        EXPECT_EQ(track.type, expected[i].type);
        EXPECT_STREQ(track.codec, expected[i].codec);
        EXPECT_STREQ(track.language, expected[i].language);
        EXPECT_STREQ(track.name, expected[i].name);
    }
}

TEST(TrackInfo, cutsLongNamesAtACharacterBoundary)
{
    auto identified = Identify(Samples().long_name);
    ASSERT_EQ(identified.result, 0);
    ASSERT_EQ(identified.info->count, 4);
    const EmTrack &track = *identified.info->tracks[2];
    const std::string name(track.name, strnlen(track.name, sizeof track.name));
    ASSERT_LT(name.size(), sizeof track.name) << "the field must stay terminated";
    EXPECT_GE(name.size(), sizeof track.name - 4);
    EXPECT_EQ(kLongName.compare(0, name.size(), name), 0) << "the name must be a prefix: " << name;
    // The next byte of the full name starts a character: no half "ç" at the end.
    EXPECT_NE(static_cast<unsigned char>(kLongName[name.size()]) & 0xC0, 0x80);
}

TEST(TrackInfo, listsTheTracksOfAFileCutAmongItsClusters)
{
    // The track list is whole, so the tracks are real; extraction reports the cut instead.
    TempDir dir;
    const auto cut
        = CutCopy(Samples().full, dir.path() / "cut.mkv", fs::file_size(Samples().full) * 2 / 3);
    auto identified = Identify(cut);
    ASSERT_EQ(identified.result, 0);
    EXPECT_EQ(identified.info->count, 5);
}

TEST(TrackInfo, refusesWhatIsNoReadableMatroskaFile)
{
    TempDir dir;
    const auto text = WriteFile(dir.path() / "notes.mkv", "This is not a Matroska file.\n");
    quillet::test::ClipRecipe short_clip;
    short_clip.seconds = 0.5;
    const auto mp4 = quillet::test::MakeClip(dir.path() / "clip.mp4", short_clip);
    // Cut before the third track's codec id: mkvmerge itself lists the first two tracks as if
    // they were all.
    const std::size_t third_track = FindBytes(Samples().full, "S_TEXT/UTF8");
    ASSERT_NE(third_track, std::string::npos);
    const auto cut_in_tracks = CutCopy(Samples().full, dir.path() / "cut.mkv", third_track);
    const auto fifo = dir.path() / "fifo.mkv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto loop = dir.path() / "loop.mkv";
    fs::create_symlink(loop, loop);
    const auto too_long = dir.path() / (std::string(300, 'x') + ".mkv");

    for (const fs::path &path :
         {dir.path() / "missing.mkv", text, mp4, dir.path(), cut_in_tracks, fifo, loop, too_long}) {
        SCOPED_TRACE(path);
        // A FIFO must be refused up front: mkvmerge would wait on it forever.
        testing::internal::CaptureStderr();
        EXPECT_LT(Identify(path).result, 0);
        // The message names the file.
        EXPECT_NE(testing::internal::GetCapturedStderr().find(path.string()), std::string::npos);
    }
}

/// Puts a stand-in mkvmerge first on PATH that prints whatever report a test writes.
class FakeMkvmerge
{
public:
    FakeMkvmerge()
        : m_path("PATH", m_dir.path().string() + ":" + std::getenv("PATH"))
    {
        const fs::path script = WriteFile(m_dir.path() / "mkvmerge",
                                          "#!/bin/sh\nexec cat '" + Report().string() + "'\n");
        fs::permissions(script, fs::perms::owner_all);
    }
    fs::path Report() const { return m_dir.path() / "report.json"; }
    void Say(const std::string &json) const { WriteFile(Report(), json); }

private:
    TempDir m_dir;
    ScopedEnv m_path;
};

std::string Report(const std::string &tracks, const std::string &container_type = "Matroska")
{
    return R"({"container":{"recognized":true,"supported":true,"type":")" + container_type
        + R"("},"errors":[],"tracks":[)" + tracks + "]}";
}

TEST(TrackInfo, decodesEscapesAndRefusesMalformedReports)
{
    // A file the library cannot read on its own, so that it asks the stand-in.
    const fs::path sample = Samples().needs_mkvmerge;
    FakeMkvmerge mkvmerge;
    // Escaped characters, a surrogate pair, a language given only as an IETF tag, and a UID
    // past the range of int64.
    mkvmerge.Say(Report(R"({"id":7,"type":"subtitles","properties":{"uid":17516256886233634311,)"
                        R"("codec_id":"S_TEXT\/UTF8","language_ietf":"pt-BR",)"
                        R"("track_name":"Caf\u00e9 \ud83d\ude00 \"q\"\ttab"}})"));
    {
        auto identified = Identify(sample);
        ASSERT_EQ(identified.result, 0);
        ASSERT_EQ(identified.info->count, 1);
        const EmTrack &track = *identified.info->tracks[0];
        EXPECT_EQ(track.number, 7);
        EXPECT_EQ(track.type, EM_TRACK_SUBTITLE);
        EXPECT_STREQ(track.codec, "S_TEXT/UTF8");
        EXPECT_STREQ(track.language, "pt-BR");
        EXPECT_STREQ(track.name, "Caf\xC3\xA9 \xF0\x9F\x98\x80 \"q\"\ttab");
    }

    const std::string track = R"({"id":1,"type":"audio","properties":{"codec_id":"A_AAC"}})";
    const std::pair<const char *, std::string> malformed[] = {
        {"cut short", Report(track).substr(0, 60)},
        {"trailing text", Report(track) + "x"},
        {"nested without end", std::string(100000, '[') + std::string(100000, ']')},
        {"lone surrogate",
         Report(R"({"id":1,"type":"audio","properties":{"track_name":"\ud83d"}})")},
        {"bad escape", Report(R"({"id":1,"type":"audio","properties":{"track_name":"\x41"}})")},
        {"negative id", Report(R"({"id":-1,"type":"audio"})")},
        {"id past int32", Report(R"({"id":3000000000,"type":"audio"})")},
        {"fractional id", Report(R"({"id":1.5,"type":"audio"})")},
        {"not Matroska", Report(track, "QuickTime/MP4")},
        {"errors", R"({"container":{"recognized":true,"type":"Matroska"},"errors":["bad"]})"},
        {"not recognised", R"({"container":{"recognized":false},"errors":[]})"},
        {"no output", ""},
    };
    for (const auto &[what, json] : malformed) {
        SCOPED_TRACE(what);
        mkvmerge.Say(json);
        EXPECT_LT(Identify(sample).result, 0);
    }
}

TEST(TrackInfo, readsTracksWithoutStartingMkvmerge)
{
    // Made with the tools before they go missing.
    const fs::path plain = Samples().full, needs_mkvmerge = Samples().needs_mkvmerge;
    TempDir empty;
    ScopedEnv path("PATH", empty.path().string());
    // Adding a Matroska file asks for its tracks; starting mkvmerge for that took most of the
    // time of adding it.
    auto identified = Identify(plain);
    ASSERT_EQ(identified.result, 0);
    ASSERT_EQ(identified.info->count, 5);
    EXPECT_STREQ(identified.info->tracks[4]->codec, "S_VOBSUB");
    // A file only mkvmerge can answer for fails cleanly without it.
    EXPECT_LT(Identify(needs_mkvmerge).result, 0);
}

TEST(TrackInfo, refusesNullArguments)
{
    EmTrackInfo *info = nullptr;
    EXPECT_LT(em_gettrackinfo(nullptr, &info), 0);
    EXPECT_EQ(info, nullptr);
    EXPECT_LT(em_gettrackinfo("", &info), 0);
    EXPECT_LT(em_gettrackinfo(Samples().full.c_str(), nullptr), 0);
    em_freetrackinfo(nullptr);
}

} // namespace
} // namespace mkvextract_test
