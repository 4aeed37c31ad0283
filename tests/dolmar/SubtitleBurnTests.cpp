// SPDX-License-Identifier: GPL-3.0-or-later
// Burnt-in subtitles (-vhook "SubTitleHook -f FILE") in every format the engine takes: a frame
// while a subtitle shows differs from the same frame converted without it, and matches it again
// once the subtitle is gone.

#include "EngineHarness.h"

#include "MediaFixtures.h"
#include "SubtitleFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sys/stat.h>

using namespace quillet::test;
using dolmar_test::ChangedPixels;
using dolmar_test::MeanDifference;
using dolmar_test::RunEngine;

namespace {

const char *const kAss = "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n"
                         "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, "
                         "SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, "
                         "StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
                         "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
                         "Style: Default,DejaVu Sans,28,&H00FFFFFF,&H00FFFFFF,&H00000000,"
                         "&H00000000,0,0,0,0,100,100,0,0,1,2,0,2,10,10,10,1\n\n"
                         "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
                         "MarginV, Effect, Text\n"
                         "Dialogue: 0,0:00:00.50,0:00:01.50,Default,,0,0,0,,BURNT TEXT\n";

class SubtitleBurn : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        ClipRecipe recipe;
        recipe.seconds = 2.0;
        recipe.audio_streams = 0;
        s_clip = MakeClip(s_dir->path() / "clip.mp4", recipe).string();
        // Keep a developer's own saved style out of the comparison.
        setenv("QUILLET_SUBTITLE_STYLE", (s_dir->path() / "no style.ini").c_str(), 1);
        s_plain = s_dir->file("plain.mp4");
        ASSERT_EQ(RunEngine(Encode(s_clip, "", s_plain)).result, DOLMAR_OK);
    }
    static void TearDownTestSuite()
    {
        unsetenv("QUILLET_SUBTITLE_STYLE");
        s_dir.reset();
    }

    /// Near-lossless MPEG-4, so that frames differ only where the picture differs.
    static std::vector<std::string> Encode(const std::string &in, const std::string &subtitle,
                                           const std::string &out)
    {
        std::vector<std::string> args{"-i", in};
        if (!subtitle.empty())
            args.insert(args.end(), {"-vhook", "SubTitleHook -f " + subtitle});
        args.insert(args.end(), {"-vcodec", "mpeg4", "-qscale", "1", out});
        return args;
    }

    /// Converts with the subtitle and compares the lower part of the picture with the plain
    /// conversion while the subtitle shows (1.0 s) and after it has gone (1.9 s).
    void ExpectBurntIn(const std::string &subtitle)
    {
        const std::string out = m_dir.file("burnt.avi");
        const auto run = RunEngine(Encode(s_clip, subtitle, out));
        ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
        // A line of text changes a few hundred pixels by far more than coding noise does.
        const int showing
            = ChangedPixels(GrabFrame(out, 1.0), GrabFrame(s_plain, 1.0), 0, 160, 320, 80, 60);
        const int gone
            = ChangedPixels(GrabFrame(out, 1.9), GrabFrame(s_plain, 1.9), 0, 160, 320, 80, 60);
        EXPECT_GT(showing, 150) << subtitle;
        EXPECT_GE(gone, 0) << subtitle;
        EXPECT_LT(gone, 20) << subtitle;
    }

    static std::unique_ptr<TempDir> s_dir;
    static std::string s_clip;
    static std::string s_plain;
    TempDir m_dir;
};

std::unique_ptr<TempDir> SubtitleBurn::s_dir;
std::string SubtitleBurn::s_clip;
std::string SubtitleBurn::s_plain;

TEST_F(SubtitleBurn, subRipText)
{
    ExpectBurntIn(
        WriteFile(m_dir.path() / "text.srt", "1\n00:00:00,500 --> 00:00:01,500\nBURNT TEXT\n\n")
            .string());
}

TEST_F(SubtitleBurn, advancedSubStationAlpha)
{
    ExpectBurntIn(WriteFile(m_dir.path() / "text.ass", kAss).string());
}

TEST_F(SubtitleBurn, microDvdCountsFramesAtTheVideosRate)
{
    // Frames 12 to 37 at 25 fps: 0.48 s to 1.48 s. One line only, no rate line of its own.
    ExpectBurntIn(WriteFile(m_dir.path() / "frames.sub", "{12}{37}BURNT TEXT\n").string());
}

TEST_F(SubtitleBurn, samiCaptions)
{
    ExpectBurntIn(WriteFile(m_dir.path() / "captions.smi",
                            "<SAMI>\n<HEAD><STYLE TYPE=\"text/css\"><!--\n"
                            "P { font-size: 20pt; }\n.ENCC { Name: English; lang: en-US; }\n"
                            "--></STYLE></HEAD>\n<BODY>\n"
                            "<SYNC Start=500><P Class=ENCC>BURNT TEXT</P>\n"
                            "<SYNC Start=1500><P Class=ENCC>&nbsp;</P>\n</BODY>\n</SAMI>\n")
                      .string());
}

TEST_F(SubtitleBurn, vobSubPicturesFromTheIndexFile)
{
    const auto idx = m_dir.path() / "pictures.idx";
    WriteVobSub(idx);
    ExpectBurntIn(idx.string());
    // The box lands where the index put it: red inside, the picture itself beside it.
    const RgbFrame frame = GrabFrame(m_dir.file("burnt.avi"), 1.0);
    ASSERT_FALSE(frame.empty());
    const uint32_t inside = frame.at(160, 200);
    EXPECT_GT(inside >> 16, 200u);
    EXPECT_LT((inside >> 8) & 0xFF, 60u);
    EXPECT_LT(MeanDifference(frame, GrabFrame(s_plain, 1.0), 0, 100, 320, 60), 1.5);
}

TEST_F(SubtitleBurn, fileNamesWithFilterSyntaxCharactersWork)
{
    const std::string name = "it's [a] \"test\", part: 1\\2; 100% {x}.srt";
    ExpectBurntIn(
        WriteFile(m_dir.path() / name, "1\n00:00:00,500 --> 00:00:01,500\nBURNT\n\n").string());
}

TEST_F(SubtitleBurn, windowsCodePageTextIsReadAsSuch)
{
    // "Café" in Windows-1252: not UTF-8, which libass alone would refuse to show.
    ExpectBurntIn(
        WriteFile(m_dir.path() / "latin.srt", "1\n00:00:00,500 --> 00:00:01,500\nCaf\xE9 BURNT\n\n")
            .string());
}

TEST_F(SubtitleBurn, savedStyleColoursTheText)
{
    const std::string srt
        = WriteFile(m_dir.path() / "style.srt", "1\n00:00:00,500 --> 00:00:01,500\nSTYLED TEXT\n\n")
              .string();
    const std::string style = WriteFile(m_dir.path() / "style.ini",
                                        "[Style]\nFontsize=36\nPrimaryColour=&H000000FF\n"
                                        "Outline=0\nShadow=0\nBold=1\n")
                                  .string();
    auto red_text_pixels = [&](const std::string &out) {
        const RgbFrame burnt = GrabFrame(out, 1.0);
        const RgbFrame plain = GrabFrame(s_plain, 1.0);
        int count = 0;
        for (int y = 160; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const uint32_t p = burnt.at(x, y);
                const uint32_t q = plain.at(x, y);
                const bool changed = std::abs(int(p >> 16) - int(q >> 16))
                        + std::abs(int((p >> 8) & 0xFF) - int((q >> 8) & 0xFF))
                    > 80;
                count += changed && (p >> 16) > 180 && ((p >> 8) & 0xFF) < 90;
            }
        return count;
    };
    ASSERT_EQ(RunEngine(Encode(s_clip, srt, m_dir.file("white.avi"))).result, DOLMAR_OK);
    setenv("QUILLET_SUBTITLE_STYLE", style.c_str(), 1);
    const auto run = RunEngine(Encode(s_clip, srt, m_dir.file("red.avi")));
    setenv("QUILLET_SUBTITLE_STYLE", (s_dir->path() / "no style.ini").c_str(), 1);
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    EXPECT_GT(red_text_pixels(m_dir.file("red.avi")), 200);
    EXPECT_LT(red_text_pixels(m_dir.file("white.avi")), 50);
}

TEST_F(SubtitleBurn, aMissingSubtitleFileFailsBeforeAnyOutput)
{
    const std::string out = m_dir.file("never.avi");
    const auto run = RunEngine(Encode(s_clip, m_dir.file("gone.srt"), out));
    EXPECT_EQ(run.result, DOLMAR_FAILED);
    EXPECT_NE(run.AllMessages().find("gone.srt"), std::string::npos) << run.AllMessages();
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(SubtitleBurn, anUnusableTemporaryFolderOrStyleFileNeitherEscapesNorHangs)
{
    const std::string srt
        = WriteFile(m_dir.path() / "lines.srt", "1\n00:00:00,500 --> 00:00:01,500\nBURNT TEXT\n\n")
              .string();
    // SubRip text becomes ASS in the temporary folder: a TMPDIR that names a file fails the run
    // with the subtitle file's name, not with a bare filesystem error.
    const std::string not_a_folder = WriteFile(m_dir.path() / "not a folder", "x").string();
    const char *old_tmpdir = std::getenv("TMPDIR");
    const std::string saved_tmpdir = old_tmpdir ? old_tmpdir : "";
    setenv("TMPDIR", not_a_folder.c_str(), 1);
    const std::string out = m_dir.file("never.avi");
    const auto run = RunEngine(Encode(s_clip, srt, out));
    if (old_tmpdir)
        setenv("TMPDIR", saved_tmpdir.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_EQ(run.result, DOLMAR_FAILED);
    EXPECT_NE(run.AllMessages().find("lines.srt"), std::string::npos) << run.AllMessages();
    EXPECT_EQ(run.AllMessages().find("filesystem error"), std::string::npos) << run.AllMessages();
    EXPECT_FALSE(std::filesystem::exists(out));

    // A style "file" that is a pipe nobody writes to, or a device without end, is not read: the
    // text is burnt in with libass's own style.
    const std::string pipe = m_dir.file("style pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string &style : {pipe, std::string("/dev/zero")}) {
        setenv("QUILLET_SUBTITLE_STYLE", style.c_str(), 1);
        ExpectBurntIn(srt);
    }
    setenv("QUILLET_SUBTITLE_STYLE", (s_dir->path() / "no style.ini").c_str(), 1);
}

} // namespace
