// SPDX-License-Identifier: GPL-3.0-or-later
// Two-pass encoding (-pass, -passlogfile): the second pass meets the rate that one pass misses.
#include "EngineHarness.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quillet::test;
using dolmar_test::RunEngine;

namespace {

namespace fs = std::filesystem;

/// Light grain on a moving picture: every encoder needs all of its rate (heavier grain keeps
/// MPEG-4 Part 2 above it even at its coarsest quantiser), and a single pass misses it.
fs::path GrainClip(const TempDir &dir)
{
    ClipRecipe recipe;
    recipe.seconds = 4;
    recipe.audio_streams = 0;
    recipe.video_codec = "ffv1";
    recipe.output_options = {"-vf", "noise=alls=8:allf=t"};
    return MakeClip(dir.path() / "grain.mkv", recipe);
}

} // namespace

TEST(TwoPass, secondPassLandsOnTheRateForEachEncoder)
{
    TempDir dir;
    const std::string clip = GrainClip(dir).string();
    struct Case
    {
        const char *codec;
        const char *file;
    };
    for (const Case c :
         {Case{"h264", "out.mp4"}, Case{"mpeg4", "out.avi"}, Case{"hevc", "out.mkv"}}) {
        SCOPED_TRACE(c.codec);
        const std::string out = dir.file(c.file);
        const std::string log = dir.file(std::string(c.codec) + "-passes");
        for (const char *pass : {"1", "2"}) {
            const auto run = RunEngine({"-i", clip, "-vcodec", c.codec, "-b", "400", "-pass", pass,
                                        "-passlogfile", log, out});
            ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
        }
        EXPECT_TRUE(fs::exists(log + "-0.log"));
        // 400 kbit/s for 4 s of picture: 200 000 bytes, and a little container.
        const double bytes = static_cast<double>(fs::file_size(out));
        EXPECT_NEAR(bytes / 200000.0, 1.0, 0.06) << bytes;
    }
}

TEST(TwoPass, aPassWithoutItsLogIsRefused)
{
    TempDir dir;
    const std::string clip = GrainClip(dir).string();
    const auto no_prefix
        = RunEngine({"-i", clip, "-vcodec", "mpeg4", "-b", "400", "-pass", "1", dir.file("a.avi")});
    EXPECT_NE(no_prefix.result, DOLMAR_OK);
    EXPECT_NE(no_prefix.AllMessages().find("-passlogfile"), std::string::npos);
    const auto no_first = RunEngine({"-i", clip, "-vcodec", "mpeg4", "-b", "400", "-pass", "2",
                                     "-passlogfile", dir.file("none"), dir.file("b.avi")});
    EXPECT_NE(no_first.result, DOLMAR_OK);
    EXPECT_NE(no_first.AllMessages().find("first pass"), std::string::npos);
}
