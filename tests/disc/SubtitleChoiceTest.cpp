// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/SubtitleChoice.h"
#include "disc/SubtitleStyleEditor.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillet;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

TEST(SubtitleChoice, candidatesAreListedByNameAndOneIsChecked)
{
    TempDir dir;
    std::vector<std::string> candidates = {WriteFile(dir.path() / "film_0.idx", "x").string(),
                                           WriteFile(dir.path() / "film_1.srt", "x").string(),
                                           WriteFile(dir.path() / "film_2.ass", "x").string()};
    SubtitleChoice choice(candidates[0], candidates);
    EXPECT_EQ(choice.RowTexts(),
              (std::vector<std::string>{"film_0.idx", "film_1.srt", "film_2.ass"}));
    EXPECT_EQ(choice.CheckedRow(), -1);
    EXPECT_EQ(choice.WorkingPath(), candidates[0]);

    choice.SelectRow(1);
    EXPECT_EQ(choice.CheckedRow(), 1);
    EXPECT_EQ(choice.WorkingPath(), candidates[1]);
    EXPECT_EQ(choice.Ok(), SubtitleChoice::OkResult::Accept);

    choice.SelectRow(7);
    EXPECT_EQ(choice.CheckedRow(), -1);
    EXPECT_EQ(choice.WorkingPath(), candidates[1]);

    auto own = WriteFile(dir.path() / "mine.srt", "1\n");
    choice.ChooseFile(own.string());
    EXPECT_EQ(choice.WorkingPath(), own.string());
    EXPECT_EQ(choice.RowTexts().size(), 3u);

    EXPECT_EQ(SubtitleChoice("", {"no-folder.srt"}).RowTexts(), (std::vector<std::string>{""}));
}

TEST(SubtitleChoice, okNeedsAReadableFileOfAnyLength)
{
    TempDir dir;
    EXPECT_EQ(SubtitleChoice("", {}).Ok(), SubtitleChoice::OkResult::StayOpen);
    EXPECT_EQ(SubtitleChoice(dir.file("gone.srt"), {}).Ok(), SubtitleChoice::OkResult::CannotOpen);
    EXPECT_EQ(SubtitleChoice(dir.path().string(), {}).Ok(), SubtitleChoice::OkResult::CannotOpen);

    // A path far beyond the classic 256 characters is checked whole.
    std::string deep = dir.path().string();
    for (int i = 0; i < 6; ++i)
        deep += "/" + std::string(60, 'd');
    std::filesystem::create_directories(deep);
    auto file = WriteFile(deep + "/subtitle.srt", "1\n");
    ASSERT_GT(file.string().size(), 380u);
    EXPECT_EQ(SubtitleChoice(file.string(), {}).Ok(), SubtitleChoice::OkResult::Accept);
    EXPECT_EQ(SubtitleChoice(file.string() + "x", {}).Ok(), SubtitleChoice::OkResult::CannotOpen);
}

TEST(SubtitleStyleEditor, callsTheLibraryInItsOrder)
{
    TempDir dir;
    const std::string log = dir.file("calls.log");
    ::setenv("FAKE_SUBTITLES_LOG", log.c_str(), 1);

    ::setenv("FAKE_SUBTITLES_ANSWER", "0", 1);
    EXPECT_EQ(SubtitleStyleEditor(QUILLET_FAKES_DIR, "fakesubtitles").Edit(nullptr),
              SubtitleStyleEditor::Result::Saved);
    EXPECT_EQ(ReadFile(log), "init 0\ndialog\nset\nexit\n");

    std::filesystem::remove(log);
    ::setenv("FAKE_SUBTITLES_ANSWER", "1", 1);
    EXPECT_EQ(SubtitleStyleEditor(QUILLET_FAKES_DIR, "fakesubtitles").Edit(nullptr),
              SubtitleStyleEditor::Result::Cancelled);
    EXPECT_EQ(ReadFile(log), "init 0\ndialog\nexit\n");

    // A library without every entry point, or none at all, is never called.
    std::filesystem::remove(log);
    EXPECT_EQ(SubtitleStyleEditor(QUILLET_FAKES_DIR, "fakesubtitlesincomplete").Edit(nullptr),
              SubtitleStyleEditor::Result::LibraryMissing);
    EXPECT_EQ(SubtitleStyleEditor(QUILLET_FAKES_DIR, "nosuchlibrary").Edit(nullptr),
              SubtitleStyleEditor::Result::LibraryMissing);
    EXPECT_FALSE(std::filesystem::exists(log));
    ::unsetenv("FAKE_SUBTITLES_LOG");
    ::unsetenv("FAKE_SUBTITLES_ANSWER");
}
