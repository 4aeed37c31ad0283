// SPDX-License-Identifier: GPL-3.0-or-later
// Sound as the source meant it: downmix levels across codecs, tags and cover pictures kept.
#include "EngineHarness.h"

#include "SoundFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    static const std::vector<Codec> codecs = {
        {"aac.m4a", {"-acodec", "aac", "-ar", "44100", "-ab", "160", "-ac", "2"}},
        {"ac3.ac3", {"-acodec", "ac3", "-ar", "48000", "-ab", "448", "-ac", "2"}},
        {"mp3.mp3", {"-acodec", "mp3", "-ar", "44100", "-ab", "192", "-ac", "2"}},
        {"pcm.wav", {"-acodec", "pcm_s16le", "-ar", "44100", "-ac", "2"}},
    };
    return codecs;
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
