// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProfileFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

ProfileRecord Sample()
{
    ProfileRecord r;
    r.FormatName = "MPEG-4 AVC";
    r.FormatHint = "H.264 video with AAC audio for the tablet";
    r.TargetType = "mp4";
    r.BeforePara = "-threads 0";
    r.Para = "-vprofile main -level 31 -fs";
    r.bCanBurn = 1;
    r.BurnType = "DVD";
    r.bAudioCustomSampleRate = 1;
    r.nAudioCustomSampleRate = 44100;
    r.bAudioCustomBitRate = 1;
    r.nAudioCustomBitRate = 128.25f;
    r.nAudioChannel = 2;
    r.bAudioCustomVolume = 1;
    r.nAudioVolume = 300;
    r.cAudioCodec = "aac";
    r.bVideoCustomFrameRate = 1;
    r.nVideoCustomFrameRate = 29.97f;
    r.bVideoCustomBitRate = 1;
    r.nVideoCustomBitRate = 1500;
    r.nVideoBitRateLevel = 3.5f;
    r.nVideoBitRateLevel2 = 1.25f;
    r.nVideoBitRateLevel3 = 64;
    r.cVideoCodec = "h264";
    r.bVideoEnableCrop = 1;
    r.nVideoCropLeft = 1;
    r.nVideoCropRight = 2;
    r.nVideoCropTop = 3;
    r.nVideoCropBottom = 4;
    r.bVideoEnablePad = 1;
    r.nVideoPadLeft = 5;
    r.nVideoPadRight = 6;
    r.nVideoPadTop = 7;
    r.nVideoPadBottom = 8;
    r.nVideoPadColor = 0x102030;
    r.nVideoRiszeOption = 9;
    r.nVideoCustomSizeX = 1024;
    r.nVideoCustomSizeY = 576;
    r.nAspect = 2;
    r.PostProcess = "\"./ferrule\" \"%out\"";
    return r;
}

} // namespace

TEST(ProfileFile, writtenProfileReadsBackFieldByField)
{
    TempDir dir;
    auto file = dir.path() / "mine.ini";
    ProfileRecord written = Sample();
    ASSERT_TRUE(ProfileFile::Write("My Tablet", written, file));

    ProfileRecord read;
    read.profile_path = file.string();
    ProfileFile::Read("my tablet", read, file);
    written.profile_path = file.string();
    written.section_name = "my tablet";
    EXPECT_EQ(read, written);

    std::string text = ReadFile(file);
    EXPECT_NE(text.find("nAudioCustomBitRate=128.250000\n"), std::string::npos);
    EXPECT_NE(text.find("nVideoBitRateLevel3=64.000000\n"), std::string::npos);
    // A new section lists its keys in the writing order: Para before BeforePara.
    EXPECT_LT(text.find("\nPara="), text.find("\nBeforePara="));
    EXPECT_LT(text.find("\nnAspect="), text.find("\nbCanBurn="));
}

TEST(ProfileFile, readingCutsTextsAndDefaultsMissingKeys)
{
    TempDir dir;
    auto file
        = WriteFile(dir.path() / "p.ini",
                    "[Bare]\n[Long]\nPara=" + std::string(2000, 'p') + "\nTargetType="
                        + std::string(30, 't') + "\nnVideoBitRateLevel=abc\nnAudioVolume=7x\n");
    ProfileRecord bare;
    bare.nAudioVolume = 99;
    ProfileFile::Read("Bare", bare, file);
    ProfileRecord expected;
    expected.section_name = "Bare";
    EXPECT_EQ(bare, expected);
    EXPECT_TRUE(bare.cAudioCodec.empty());

    ProfileRecord cut;
    ProfileFile::Read("Long", cut, file);
    EXPECT_EQ(cut.Para.size(), 1023u);
    EXPECT_EQ(cut.TargetType.size(), 19u);
    EXPECT_EQ(cut.nVideoBitRateLevel, 0.0f);
    EXPECT_EQ(cut.nAudioVolume, 7);
}

TEST(ProfileFile, savingAnExistingProfileKeepsTheRestOfTheFile)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "ipadh264.ini",
                          "; shipped profiles\r\n[Other]\r\nPara=-g 1\r\n\r\n[Tablet]\r\n"
                          "FormatName=Old\r\nCustomKey=kept\r\n");
    ProfileRecord r = Sample();
    ASSERT_TRUE(ProfileFile::Write("TABLET", r, file));
    std::string text = ReadFile(file);
    EXPECT_EQ(text.rfind("; shipped profiles\r\n[Other]\r\nPara=-g 1\r\n\r\n[Tablet]\r\n"
                         "FormatName=MPEG-4 AVC\r\nCustomKey=kept\r\nFormatHint=",
                         0),
              0u);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
}

TEST(ProfileFile, writeIfAbsentRefusesAnExistingNameIgnoringCase)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "p.ini", "[Living Room]\nTargetType=mp4\n");
    EXPECT_EQ(ProfileFile::WriteIfAbsent("LIVING ROOM", Sample(), file),
              ProfileFile::WriteIfAbsentResult::Exists);
    EXPECT_EQ(ProfileFile::WriteIfAbsent("Kitchen", Sample(), file),
              ProfileFile::WriteIfAbsentResult::Written);
    EXPECT_EQ(ProfileFile::ListNames(file), (std::vector<std::string>{"Living Room", "Kitchen"}));
    EXPECT_EQ(ProfileFile::WriteIfAbsent("Hall", Sample(), dir.path() / "none" / "x.ini"),
              ProfileFile::WriteIfAbsentResult::Failed);
}

// Each "Save as" adds a section; the newest ones, past what a 5120-byte name list holds, are
// offered and read like the first.
TEST(ProfileFile, everySectionIsListedHoweverManyThereAre)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "[Saved profile with a long descriptive name " + std::to_string(i)
            + "]\nTargetType=mp" + std::to_string(i % 5) + "\n";
    const auto file = WriteFile(dir.path() / "many.ini", text);
    const std::vector<std::string> names = ProfileFile::SectionNames(file);
    ASSERT_EQ(names.size(), 200u);
    EXPECT_EQ(names.back(), "Saved profile with a long descriptive name 199");
    ProfileRecord last;
    ProfileFile::Read(names.back(), last, file);
    EXPECT_EQ(last.TargetType.str(), "mp4");
    EXPECT_TRUE(ProfileFile::SectionNames(dir.path() / "missing.ini").empty());
}
