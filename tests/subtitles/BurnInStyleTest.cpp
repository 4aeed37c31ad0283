// SPDX-License-Identifier: GPL-3.0-or-later
// The whole road of a style: chosen in the library's dialog, saved, and burnt into the next
// conversion by the engine; and the dialog's preview drawn as that conversion draws it.

#include "PreviewRenderer.h"
#include "StyleFile.h"

#include "ImageCompare.h"
#include "ModalDriver.h"
#include "StyleLibraryDriver.h"

#include "disc/SubtitleStyleEditor.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <dolmar.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace quillet::test;
using subtitles_test::ChooseLargeYellowText;
using subtitles_test::Compare;
using subtitles_test::Difference;
using subtitles_test::IsStyleDialog;
using subtitles_test::ScopedEnvironment;

namespace {

/// One conversion through the engine's entry point, near-lossless so that frames differ only
/// where the picture differs; an empty subtitle converts without one.
int Convert(const std::string &in, const std::string &subtitle, const std::string &out)
{
    std::vector<std::string> args{"ffmain", "-i", in};
    if (!subtitle.empty())
        args.insert(args.end(), {"-vhook", "SubTitleHook -f " + subtitle});
    args.insert(args.end(), {"-vcodec", "mpeg4", "-qscale", "1", "-an", out});
    std::vector<char *> argv;
    argv.reserve(args.size());
    for (auto &arg : args)
        argv.push_back(arg.data());
    return ffmain(static_cast<int>(argv.size()), argv.data(), nullptr);
}

QImage FrameAt(const std::string &path, double seconds)
{
    const RgbFrame frame = GrabFrame(path, seconds);
    QImage image(frame.width, frame.height, QImage::Format_RGB888);
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(image.scanLine(y), frame.pixels.data() + std::size_t(y) * frame.width * 3,
                    std::size_t(frame.width) * 3);
    return image;
}

} // namespace

TEST(BurnInStyle, theStyleChosenInTheDialogChangesTheNextConversionAsThePreviewShowed)
{
    TempDir dir;
    const auto style = dir.path() / "style.ini";
    const ScopedEnvironment environment(dir, style);
    ClipRecipe recipe;
    recipe.audio_streams = 0;
    const std::string clip = MakeClip(dir.path() / "clip.mp4", recipe).string();
    const std::string srt
        = WriteFile(dir.path() / "text.srt", "1\n00:00:00,500 --> 00:00:01,500\nBURNT TEXT\n\n")
              .string();

    const std::string plain = dir.file("plain.avi");
    const std::string standard = dir.file("standard.avi");
    const std::string styled = dir.file("styled.avi");
    ASSERT_EQ(Convert(clip, "", plain), DOLMAR_OK);
    ASSERT_EQ(Convert(clip, srt, standard), DOLMAR_OK);

    quillet::test::WhenModal(IsStyleDialog, ChooseLargeYellowText);
    ASSERT_EQ(quillet::SubtitleStyleEditor(ProgramDir().string()).Edit(nullptr),
              quillet::SubtitleStyleEditor::Result::Saved);
    ASSERT_EQ(Convert(clip, srt, styled), DOLMAR_OK);

    const QImage without = FrameAt(plain, 1.0);
    ASSERT_FALSE(without.isNull());
    const Difference before = Compare(FrameAt(standard, 1.0), without);
    const Difference after = Compare(FrameAt(styled, 1.0), without);
    // Twice the size: far more of the picture changes, and the letters are yellow now.
    EXPECT_GT(before.changed, 150);
    EXPECT_GT(after.changed, before.changed * 2);
    // The standard letters are white: only their soft edges over the test picture's own yellow
    // count as yellow. The changed pixels also hold the black outline.
    EXPECT_GT(before.white, 50);
    EXPECT_LT(before.yellow, before.white / 3);
    EXPECT_GT(after.yellow, after.changed / 5);
    EXPECT_LT(after.white, after.yellow / 20);

    // The preview of the saved style on the same frame: the text lands where the conversion put
    // it and covers as much of the picture.
    subtitles::PreviewRenderer renderer(srt);
    ASSERT_TRUE(renderer.Ready()) << renderer.Error();
    const subtitles::StyleFile file;
    const QImage preview = renderer.Render(
        without, 1.0, file.ForceStyleAfterSaving(file.Load(subtitles::DefaultStyle("unused"))));
    ASSERT_FALSE(preview.isNull()) << renderer.Error();
    const Difference shown = Compare(preview, without);
    EXPECT_NEAR(shown.bounds.left(), after.bounds.left(), 3);
    EXPECT_NEAR(shown.bounds.right(), after.bounds.right(), 3);
    EXPECT_NEAR(shown.bounds.top(), after.bounds.top(), 3);
    EXPECT_NEAR(shown.bounds.bottom(), after.bounds.bottom(), 3);
    EXPECT_NEAR(shown.changed, after.changed, after.changed / 10.0);
    EXPECT_NEAR(shown.yellow, after.yellow, after.yellow / 5.0);
    std::printf("changed pixels: standard %d (white %d, yellow %d), styled %d (white %d, yellow "
                "%d), preview %d (yellow %d); text box: output %d,%d-%d,%d preview %d,%d-%d,%d\n",
                before.changed, before.white, before.yellow, after.changed, after.white,
                after.yellow, shown.changed, shown.yellow, after.bounds.left(), after.bounds.top(),
                after.bounds.right(), after.bounds.bottom(), shown.bounds.left(),
                shown.bounds.top(), shown.bounds.right(), shown.bounds.bottom());
}

TEST(BurnInStyle, previewOfAFileItCannotDrawSaysWhy)
{
    TempDir dir;
    subtitles::PreviewRenderer missing(dir.file("missing.srt"));
    EXPECT_FALSE(missing.Ready());
    EXPECT_FALSE(missing.Error().empty());
    EXPECT_TRUE(missing.Render(QImage(64, 36, QImage::Format_RGB888), 1.0, "").isNull());
}
