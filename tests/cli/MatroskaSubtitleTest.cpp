// SPDX-License-Identifier: GPL-3.0-or-later
// A Matroska source whose subtitle tracks are extracted when it is added, the first one burnt into
// the picture, with two of its audio tracks kept.
#include "Command.h"
#include "MediaFixtures.h"
#include "SubtitleFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillet::test;

namespace {

std::vector<std::string> Environment(const TempDir &home)
{
    return {"QUILLET_SETTINGS_DIR=" + home.file("settings"),
            "DISPLAY=", "WAYLAND_DISPLAY=", "LANG=C", "LANGUAGE="};
}

/// Pixels of the box the VobSub draws (40,180)-(279,219) that differ clearly between a and b.
int ChangedInSubtitleBox(const RgbFrame &a, const RgbFrame &b)
{
    int changed = 0;
    for (int y = 180; y <= 219; ++y)
        for (int x = 40; x <= 279; ++x) {
            uint32_t p = a.at(x, y), q = b.at(x, y);
            int d = std::abs(int(p >> 16) - int(q >> 16))
                + std::abs(int((p >> 8) & 255) - int((q >> 8) & 255))
                + std::abs(int(p & 255) - int(q & 255));
            changed += d > 60;
        }
    return changed;
}

} // namespace

TEST(MatroskaSubtitles, extractedTrackIsBurntInAndTwoAudioTracksAreKept)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 3;
    recipe.audio_streams = 2;
    auto clip = MakeClip(home.path() / "clip.mkv", recipe);
    WriteVobSub(home.path() / "pictures.idx");
    WriteFile(home.path() / "words.srt", "1\n00:00:00,000 --> 00:00:03,000\nTEXT SUBTITLE\n");
    const std::string source = home.file("base.mkv");
    auto merged = RunCommand({"mkvmerge", "-q", "-o", source, clip.string(),
                              home.file("pictures.idx"), home.file("words.srt")});
    ASSERT_LE(merged.exit_code, 1) << merged.out << merged.err; // 1 means warnings only

    const std::string cli = (ProgramDir() / "quillet-cli").string();
    const std::string profile = "ipadh264c.ini:H.264 Video (MP4)";
    auto run = RunCommand({cli, "-p", profile, "-o", home.file("out"), "--extract-subtitles",
                           "--audio-tracks", "1,2", source},
                          Environment(home));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.err.find("This mkv file have some subtitle tracks"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(home.file("out/base_0.idx")));
    EXPECT_TRUE(std::filesystem::exists(home.file("out/base_0.sub")));
    EXPECT_NE(ReadFile(home.path() / "out" / "base_1.srt").find("TEXT SUBTITLE"),
              std::string::npos);
    EXPECT_NE(run.err.find("-vhook SubTitleHook -f " + home.file("out/base_0.idx")),
              std::string::npos);

    const std::string output = home.file("out/base.mp4");
    ProbedFile probed = Ffprobe(output);
    ASSERT_TRUE(probed.ok);
    EXPECT_EQ(probed.count("audio"), 2);

    // The same conversion without the subtitle: the box appears only in the first output.
    auto plain
        = RunCommand({cli, "-p", profile, "-o", home.file("plain"), source}, Environment(home));
    ASSERT_EQ(plain.exit_code, 0) << plain.err;
    RgbFrame with = GrabFrame(output, 1.0);
    RgbFrame without = GrabFrame(home.file("plain/base.mp4"), 1.0);
    ASSERT_FALSE(with.empty() || without.empty());
    EXPECT_GT(ChangedInSubtitleBox(with, without), 2000);
    EXPECT_EQ(Ffprobe(home.file("plain/base.mp4")).count("audio"), 1);
}
