// SPDX-License-Identifier: GPL-3.0-or-later
// Sound as the source meant it: downmix levels across codecs, tags and cover pictures kept.
#include "EngineHarness.h"

#include "SoundFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

using namespace quillet::test;
using dolmar_test::RunEngine;

namespace {

struct Codec
{
    std::string file; ///< the output's name: its extension chooses the container
    std::vector<std::string> options;
};

// The codecs a stereo profile writes, with the rates the built-in profiles give them.
const std::vector<Codec> &StereoCodecs()
{
    static const std::vector<Codec> kCodecs = {
        {"aac.m4a", {"-acodec", "aac", "-ar", "44100", "-ab", "160", "-ac", "2"}},
        {"ac3.ac3", {"-acodec", "ac3", "-ar", "48000", "-ab", "448", "-ac", "2"}},
        {"mp3.mp3", {"-acodec", "mp3", "-ar", "44100", "-ab", "192", "-ac", "2"}},
        {"pcm.wav", {"-acodec", "pcm_s16le", "-ar", "44100", "-ac", "2"}},
    };
    return kCodecs;
}

class DownmixLevel : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        // Every channel at -6 dBFS: a plain sum of centre and surrounds into the fronts passes
        // full scale by several dB.
        s_five_one = MakeSurroundClip(s_dir->path() / "five one.mka", "5.1", 0.5, 2, false);
        s_seven_one = MakeSurroundClip(s_dir->path() / "seven one.mka", "7.1", 0.5, 2, false);
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    /// Converts source with each stereo codec and returns the levels of the results.
    std::vector<SoundLevels> ConvertWithEachCodec(const std::filesystem::path &source,
                                                  const std::vector<std::string> &extra = {})
    {
        std::vector<SoundLevels> levels;
        for (const Codec &codec : StereoCodecs()) {
            std::vector<std::string> args{"-i", source.string()};
            args.insert(args.end(), codec.options.begin(), codec.options.end());
            args.insert(args.end(), extra.begin(), extra.end());
            const std::string out = m_dir.file(codec.file);
            args.push_back(out);
            const auto run = RunEngine(args);
            EXPECT_EQ(run.result, DOLMAR_OK) << codec.file << ": " << run.AllMessages();
            levels.push_back(MeasureSound(out));
            EXPECT_TRUE(levels.back().measured) << codec.file;
        }
        return levels;
    }

    static void ExpectNoClippingAndOneLevel(const std::vector<SoundLevels> &levels)
    {
        ASSERT_EQ(levels.size(), StereoCodecs().size());
        double quietest = 1000;
        double loudest = -1000;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            SCOPED_TRACE(StereoCodecs()[i].file);
            EXPECT_LE(levels[i].peak_db, 0.0);
            quietest = std::min(quietest, levels[i].rms_db);
            loudest = std::max(loudest, levels[i].rms_db);
        }
        EXPECT_LE(loudest - quietest, 1.0) << "levels differ between codecs";
    }

    static std::unique_ptr<TempDir> s_dir;
    static std::filesystem::path s_five_one;
    static std::filesystem::path s_seven_one;
    TempDir m_dir;
};

std::unique_ptr<TempDir> DownmixLevel::s_dir;
std::filesystem::path DownmixLevel::s_five_one;
std::filesystem::path DownmixLevel::s_seven_one;

TEST_F(DownmixLevel, surroundMixedToStereoNeverClipsAndSoundsAlikeInEveryCodec)
{
    for (const auto &source : {s_five_one, s_seven_one}) {
        SCOPED_TRACE(source.filename().string());
        const auto levels = ConvertWithEachCodec(source);
        ExpectNoClippingAndOneLevel(levels);
        // The mix keeps the sound audible: scaled to fit, not to a whisper.
        EXPECT_GT(levels.back().rms_db, -20.0);
    }
}

TEST_F(DownmixLevel, theVolumeAskedForStillAppliesAfterTheMix)
{
    const auto plain = ConvertWithEachCodec(s_five_one);
    const auto halved = ConvertWithEachCodec(s_five_one, {"-vol", "128"});
    ASSERT_EQ(plain.size(), halved.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_NEAR(plain[i].rms_db - halved[i].rms_db, 6.02, 0.5) << StereoCodecs()[i].file;
}

TEST_F(DownmixLevel, surroundMixedToMonoNeverClips)
{
    for (const auto &source : {s_five_one, s_seven_one}) {
        const std::string out = m_dir.file("mono.m4a");
        const auto run = RunEngine({"-i", source.string(), "-acodec", "aac", "-ac", "1", out});
        ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
        const SoundLevels levels = MeasureSound(out);
        ASSERT_TRUE(levels.measured);
        EXPECT_LE(levels.peak_db, 0.0) << source.filename();
    }
}

TEST_F(DownmixLevel, fullScaleStereoMixedToMonoNeverClips)
{
    // Both channels the same sine just under full scale, as a mono recording stored as stereo.
    const std::string stereo = m_dir.file("loud-stereo.mka");
    const CommandResult made
        = RunCommand({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                      "aevalsrc=0.9*sin(2*PI*440*t)|0.9*sin(2*PI*440*t):s=48000:c=stereo:d=2",
                      "-c:a", "flac", stereo});
    ASSERT_EQ(made.exit_code, 0) << made.err;
    // AC-3 works in floating point as AAC does, but adds no overshoot of its own to a sine this
    // loud (AAC's is 1 to 2 dB), so the peak measured is the mix's.
    const std::string out = m_dir.file("mono.ac3");
    const auto run = RunEngine({"-i", stereo, "-acodec", "ac3", "-ac", "1", out});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const SoundLevels levels = MeasureSound(out);
    ASSERT_TRUE(levels.measured);
    EXPECT_LE(levels.peak_db, 0.0);
    // The same sine on both sides stays as loud as it was, not halved.
    EXPECT_GT(levels.peak_db, -3.0);
}

TEST_F(DownmixLevel, stereoSourcesKeepTheirLevelInEveryCodec)
{
    // Nothing is mixed, so nothing is scaled: the result is as loud as the source.
    ClipRecipe recipe;
    recipe.video = false;
    recipe.audio_codec = "flac";
    recipe.output_options = {"-ac", "2"};
    const auto stereo = MakeClip(m_dir.path() / "stereo.mka", recipe);
    const SoundLevels source = MeasureSound(stereo);
    ASSERT_TRUE(source.measured);
    const auto levels = ConvertWithEachCodec(stereo);
    for (std::size_t i = 0; i < levels.size(); ++i)
        EXPECT_NEAR(levels[i].rms_db, source.rms_db, 0.5) << StereoCodecs()[i].file;
}

} // namespace

namespace {

// What a music file says of itself, as the ffmpeg program's -metadata options write it.
const std::vector<std::pair<std::string, std::string>> kSongTags
    = {{"title", "Night Drive"}, {"artist", "The Lamps"},
       {"album", "Low Roads"},   {"track", "3/12"},
       {"date", "2019"},         {"genre", "Ambient"},
       {"comment", "take two"},  {"album_artist", "Various"},
       {"composer", "R. Ostend"}};

class SourceTags : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        s_jpeg = s_dir->path() / "cover.jpg";
        s_png = s_dir->path() / "cover.png";
        for (const auto &picture : {s_jpeg, s_png})
            Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x160:rate=1", "-frames:v", "1",
                    picture.string()});
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static void Ffmpeg(const std::vector<std::string> &args)
    {
        std::vector<std::string> argv
            = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
        argv.insert(argv.end(), args.begin(), args.end());
        const CommandResult result = RunCommand(argv);
        ASSERT_EQ(result.exit_code, 0) << result.err;
    }

    /// A 1 s tone in path with kSongTags (and extra tags), encoded with audio_codec, and with
    /// cover as its attached picture when it is not empty.
    std::filesystem::path MakeSong(const std::string &name, const std::string &audio_codec,
                                   const std::filesystem::path &cover = {},
                                   const std::vector<std::string> &extra = {})
    {
        auto path = m_dir.path() / name;
        std::vector<std::string> args = {"-f", "lavfi", "-i", "sine=f=440:d=1:r=48000"};
        if (!cover.empty())
            args.insert(args.end(),
                        {"-i", cover.string(), "-map", "0", "-map", "1", "-c:v", "copy",
                         "-disposition:v", "attached_pic"});
        args.insert(args.end(), {"-c:a", audio_codec});
        for (const auto &[key, value] : kSongTags)
            args.insert(args.end(), {"-metadata", std::string(key).append("=").append(value)});
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(path.string());
        Ffmpeg(args);
        return path;
    }

    /// Converts source into out_name with options for the output (and before for the input).
    std::string Convert(const std::filesystem::path &source, const std::string &out_name,
                        const std::vector<std::string> &options = {"-ac", "2"},
                        const std::vector<std::string> &before = {})
    {
        std::vector<std::string> args = before;
        args.insert(args.end(), {"-i", source.string()});
        args.insert(args.end(), options.begin(), options.end());
        std::string out = m_dir.file(out_name);
        args.push_back(out);
        const auto run = RunEngine(args);
        EXPECT_EQ(run.result, DOLMAR_OK) << out_name << ": " << run.AllMessages();
        return out;
    }

    static void ExpectSongTags(const std::string &path)
    {
        const auto tags = ReadTags(path);
        for (const auto &[key, value] : kSongTags) {
            const auto found = tags.find(key);
            ASSERT_NE(found, tags.end()) << path << " lost " << key;
            EXPECT_EQ(found->second, value) << path;
        }
    }

    /// The bytes of the file's cover picture, as stored.
    std::string CoverBytes(const std::string &path, const std::string &extension)
    {
        const std::string picture = m_dir.file("extracted cover." + extension);
        Ffmpeg({"-i", path, "-map", "0:v:0", "-c", "copy", "-f", "image2", picture});
        return ReadBytes(picture);
    }

    static std::string ReadBytes(const std::filesystem::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static std::unique_ptr<TempDir> s_dir;
    static std::filesystem::path s_jpeg;
    static std::filesystem::path s_png;
    TempDir m_dir;
};

std::unique_ptr<TempDir> SourceTags::s_dir;
std::filesystem::path SourceTags::s_jpeg;
std::filesystem::path SourceTags::s_png;

TEST_F(SourceTags, tagsAndCoverPictureReachM4aAndMp3)
{
    struct Case
    {
        std::string source;
        std::string codec;
        std::filesystem::path cover;
        std::string cover_codec;
        std::string extension;
    };
    for (const Case &c : {Case{"song.mp3", "libmp3lame", s_jpeg, "mjpeg", "jpg"},
                          Case{"song.m4a", "aac", s_png, "png", "png"},
                          Case{"song.flac", "flac", s_jpeg, "mjpeg", "jpg"}}) {
        SCOPED_TRACE(c.source);
        const auto source = MakeSong(c.source, c.codec, c.cover);
        for (const std::string out : {"out.m4a", "out.mp3"}) {
            SCOPED_TRACE(out);
            const std::string converted = Convert(source, out);
            ExpectSongTags(converted);
            std::string codec;
            ASSERT_EQ(AttachedPictures(converted, &codec), 1);
            EXPECT_EQ(codec, c.cover_codec);
            // The picture is carried as it was, not encoded again.
            EXPECT_EQ(CoverBytes(converted, c.extension), ReadBytes(c.cover));
        }
    }
}

TEST_F(SourceTags, oggStreamTagsReachTheContainersThatHoldTags)
{
    // Ogg keeps its tags on the stream; the other formats keep them on the container.
    for (const auto &[source_name, codec] :
         {std::pair<std::string, std::string>{"song.ogg", "libvorbis"}, {"song.opus", "libopus"}}) {
        SCOPED_TRACE(source_name);
        const auto source = MakeSong(source_name, codec);
        for (const std::string out : {"out.m4a", "out.mp3", "out.mkv", "out.wmv"})
            ExpectSongTags(Convert(source, out));
    }
}

TEST_F(SourceTags, theSourcesEncodingDetailsAreNotCarried)
{
    // The AAC delay and the length of the source would mislead a player of the new file.
    const auto source = MakeSong("song.mp3", "libmp3lame", {},
                                 {"-metadata", "iTunSMPB=00000000 00000840 000001C0", "-metadata",
                                  "TLEN=1000", "-metadata", "mood=calm"});
    ASSERT_EQ(ReadTags(source).count("itunsmpb"), 1U);
    const auto tags = ReadTags(Convert(source, "cut.mp3", {}, {"-ss", "0.5"}));
    EXPECT_EQ(tags.count("itunsmpb"), 0U);
    EXPECT_EQ(tags.count("tlen"), 0U);
    // Tags of the content that no format names are carried all the same.
    EXPECT_EQ(tags.count("mood"), 1U);
}

TEST_F(SourceTags, aVideoKeepsItsTagsButGetsNoCoverBesideItsPicture)
{
    const auto video = m_dir.path() / "film.mkv";
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1", "-f", "lavfi", "-i",
            "sine=f=440:d=1", "-attach", s_jpeg.string(), "-metadata:s:t", "mimetype=image/jpeg",
            "-metadata", "title=Harbour at Dawn", "-c:v", "mpeg4", "-c:a", "aac", video.string()});
    ASSERT_EQ(AttachedPictures(video), 1);
    const std::string mp4 = Convert(video, "film.mp4", {"-vcodec", "h264", "-acodec", "aac"});
    EXPECT_EQ(ReadTags(mp4)["title"], "Harbour at Dawn");
    // A second picture stream in an MP4 is taken for video by players.
    EXPECT_EQ(Ffprobe(mp4).count("video"), 1);
    EXPECT_EQ(AttachedPictures(mp4), 0);
    // MP3 has no picture of its own, so the cover goes there.
    EXPECT_EQ(AttachedPictures(Convert(video, "film.mp3")), 1);
}

TEST_F(SourceTags, anAudioOnlyMp4GetsTheCover)
{
    const auto source = MakeSong("song.mp3", "libmp3lame", s_jpeg);
    const std::string mp4 = Convert(source, "song.mp4", {"-vcodec", "h264", "-acodec", "aac"});
    EXPECT_EQ(Ffprobe(mp4).count("audio"), 1);
    EXPECT_EQ(AttachedPictures(mp4), 1);
    ExpectSongTags(mp4);
}

TEST_F(SourceTags, untaggedStereoClipsGainNoTagsAndNoPicture)
{
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.output_options = {"-ac", "2"};
    const auto clip = MakeClip(m_dir.path() / "clip.mov", recipe);
    struct Case
    {
        std::string out;
        std::vector<std::string> options;
        int pictures; ///< video streams the output has
    };
    for (const Case &c :
         {Case{"clip.m4a", {"-vn"}, 0}, Case{"clip.mp3", {"-vn"}, 0},
          Case{"clip.mp4", {"-vcodec", "h264"}, 1}, Case{"clip.mkv", {"-vcodec", "h264"}, 1}}) {
        const std::string converted = Convert(clip, c.out, c.options);
        EXPECT_EQ(AttachedPictures(converted), 0) << c.out;
        EXPECT_EQ(Ffprobe(converted).count("video"), c.pictures) << c.out;
        // What every muxer writes of itself, and what the MP4 demuxer reads of the file type.
        for (const auto &[key, value] : ReadTags(converted))
            EXPECT_TRUE(key == "encoder" || key == "major_brand" || key == "minor_version"
                        || key == "compatible_brands" || key == "language" || key == "handler_name"
                        || key == "vendor_id" || key == "duration")
                << c.out << " gained " << key << "=" << value;
    }
}

} // namespace
