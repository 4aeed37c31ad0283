// SPDX-License-Identifier: GPL-3.0-or-later
// The option sheet's rules that need no window.
#include "profiles/sheet/OptionSheetRules.h"

#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"
#include "core/Task.h"

#include "SheetTestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <span>
#include <utility>

using namespace quillet;
using namespace quillet::sheet;
using quillet::test::TempDir;
using quillet::test::WriteFile;

TEST(OptionSheetRules, codecNameSelectsOnlyAWholeMatchIgnoringCase)
{
    EXPECT_EQ(kAudioCodecs[static_cast<std::size_t>(SelectCodecIndex(kAudioCodecs, "MP3"))], "mp3");
    EXPECT_EQ(kVideoCodecs[static_cast<std::size_t>(SelectCodecIndex(kVideoCodecs, "H264"))],
              "h264");
    // "msmpeg4v1" is the first item beginning with "msmpeg4"; the whole match still wins.
    EXPECT_EQ(kVideoCodecs[static_cast<std::size_t>(SelectCodecIndex(kVideoCodecs, "msmpeg4"))],
              "msmpeg4");
    // A prefix of several items, an unknown name and an empty one all fall back to "auto".
    EXPECT_EQ(SelectCodecIndex(kAudioCodecs, "adpcm"), 0);
    EXPECT_EQ(SelectCodecIndex(kAudioCodecs, "speex"), 0);
    EXPECT_EQ(SelectCodecIndex(kAudioCodecs, ""), 0);
    EXPECT_EQ(SelectCodecIndex(kAudioCodecs, "pcm_mulaw"), 40);
}

TEST(OptionSheetRules, everyShippedProfilesCodecIsOnTheSheetsLists)
{
    // A codec missing from a list is shown, and saved back, as "auto": OK on the sheet would
    // silently turn an HEVC or FLAC profile into something else.
    int profiles = 0;
    for (const auto &file :
         std::filesystem::directory_iterator(test::SourceIni("").parent_path())) {
        if (file.path().extension() != ".ini" || file.path().filename() == "kreldef.ini")
            continue;
        for (const std::string &section : ProfileFile::SectionNames(file.path())) {
            const ProfileRecord r = test::LoadProfile(file.path(), section);
            ++profiles;
            for (const auto &[list, codec] :
                 {std::pair{std::span<const std::string_view>(kVideoCodecs), r.cVideoCodec.view()},
                  std::pair{std::span<const std::string_view>(kAudioCodecs), r.cAudioCodec.view()}})
                if (!codec.empty() && codec != "auto")
                    EXPECT_NE(SelectCodecIndex(list, codec), 0) << file.path() << ":" << section;
        }
    }
    EXPECT_GT(profiles, 40);
}

TEST(OptionSheetRules, defaultBitRateUsesTheChosenSizeAsItStands)
{
    EXPECT_EQ(DefaultVideoBitRate(3, 0, 0, {1280, 768}), 2880);
    EXPECT_EQ(DefaultVideoBitRate(3, 0, 0, {640, 480}), 900);
    // The squared and constant terms: (1024 * 2 * 2 + 1024 * 3) * 0.9765625 = 7000 bits.
    EXPECT_EQ(DefaultVideoBitRate(0, 2, 3, {16, 16}), 7);
    // Unlike the task's estimate, the page does not round the width up to 16 (1918 stays).
    EXPECT_EQ(DefaultVideoBitRate(1, 0, 0, {1918, 1080}), 2022);
    ProfileRecord record;
    record.nVideoBitRateLevel = 1;
    record.nVideoRiszeOption = 9;
    record.nVideoCustomSizeX = 1918;
    record.nVideoCustomSizeY = 1080;
    EXPECT_EQ(EstimateVideoBitRate(record), 2025);

    EXPECT_EQ(DefaultVideoBitRate(-1, 5, 5, {640, 480}), 0);
    EXPECT_EQ(DefaultVideoBitRate(3, 0, 0, {0, 0}), 0);
    EXPECT_EQ(DefaultVideoBitRate(3, 0, 0, {640, -480}), 0);
    // A hand-edited profile cannot push the figure past the record's integer.
    EXPECT_EQ(DefaultVideoBitRate(1e30f, 0, 0, {1920, 1080}), INT_MAX);
}

TEST(OptionSheetRules, outputSizeOfEachChoice)
{
    const FrameSize custom{1000, 500};
    const FrameSize source{1918, 1080};
    EXPECT_EQ(OutputSizeOfChoice(0, custom, source), source);
    EXPECT_EQ(OutputSizeOfChoice(9, custom, source), custom);
    EXPECT_EQ(OutputSizeOfChoice(5, custom, source), (FrameSize{320, 240}));
    EXPECT_EQ(OutputSizeOfChoice(8, custom, source), (FrameSize{720, 576}));
    EXPECT_EQ(OutputSizeOfChoice(10, custom, source), (FrameSize{1280, 768}));
    EXPECT_EQ(OutputSizeOfChoice(11, custom, source), (FrameSize{1920, 1080}));
    EXPECT_FALSE(OutputSizeOfChoice(-1, custom, source).has_value());
    EXPECT_FALSE(OutputSizeOfChoice(12, custom, source).has_value());
}

TEST(OptionSheetRules, padColourTextIsRedGreenBlueInUpperCaseHex)
{
    EXPECT_EQ(PadColorText(kInitialPadColor), "0x060606");
    EXPECT_EQ(PadColorText(0xFF0000), "0xFF0000");
    EXPECT_EQ(PadColorText(0x00ab0c), "0x00AB0C");
    // Only the colour bytes show, whatever a hand-edited file left above them.
    EXPECT_EQ(PadColorText(-1), "0xFFFFFF");
}

TEST(OptionSheetRules, newNamesMustHoldTextAFileCanKeep)
{
    EXPECT_EQ(RefusalOfName(""), NameRefusal::Blank);
    EXPECT_EQ(RefusalOfName(" \t "), NameRefusal::Blank);
    EXPECT_EQ(RefusalOfName("Clip]s"), NameRefusal::Unstorable);
    EXPECT_EQ(RefusalOfName(" iPad Video 2 "), NameRefusal::None);
    EXPECT_EQ(TrimmedProfileName(" iPad Video 2 "), "iPad Video 2");

    const std::vector<std::string> sections = {"iPad Video", "Other"};
    EXPECT_TRUE(NameTaken("ipad video", sections));
    EXPECT_TRUE(NameTaken("IPAD VIDEO", sections));
    EXPECT_FALSE(NameTaken("iPad Video 2", sections));
}

TEST(OptionSheetRules, sectionNamesBeyondTheListBufferStillCount)
{
    TempDir dir;
    std::string text;
    // 200 sections of 40-odd characters: far more names than a 5120-byte list holds.
    for (int i = 0; i < 200; ++i)
        text += "[A profile with a rather long name number " + std::to_string(i)
            + "]\nTargetType=mp4\n";
    const auto file = WriteFile(dir.path() / "many.ini", text);
    const std::string last = "A profile with a rather long name number 199";
    EXPECT_FALSE(NameTaken(last, ProfileFile::ListNames(file)));
    EXPECT_TRUE(NameTaken(last, SectionNamesOf(file)));
    EXPECT_TRUE(SectionNamesOf(dir.path() / "missing.ini").empty());
}

TEST(OptionSheetRules, theTaskTakesTheRecordWithItsOwnSourceSizeAndAFreshEstimate)
{
    Task task;
    task.source_width = 1918;
    task.source_height = 1080;
    task.settings.section_name = "Old";
    ProfileRecord current;
    current.section_name = "Edited";
    current.nVideoBitRateLevel = 1;
    current.nVideoRiszeOption = 0;
    current.source_width = 640; // whatever the current record held
    current.source_height = 480;
    current.estimated_video_bit_rate = 12345;
    current.bDisableAudio = 1;

    ApplySheetResultToTask(task, current);
    EXPECT_EQ(task.settings.section_name.view(), "Edited");
    EXPECT_EQ(task.settings.bDisableAudio, 1);
    EXPECT_EQ(task.settings.source_width, 1918);
    EXPECT_EQ(task.settings.source_height, 1080);
    // Width raised to 1920 as every task estimate does: 1920 * 1080 * 0.9765625 / 1000.
    EXPECT_EQ(task.settings.estimated_video_bit_rate, 2025);
}

TEST(OptionSheetRules, qualitySettingIsTheLastQualityOptionGiven)
{
    const std::pair<const char *, const char *> cases[] = {
        {"-crf 31 -deadline good", "CRF 31"},
        {"-preset 10 -crf 35 -g 240", "CRF 35"},
        {"-qscale 4", "q 4"},
        {"-q:v 2 -crf 20", "CRF 20"},
        {"-b 1500 -g 250", ""},
        {"-crf", ""}, // a value never given
        {"", ""},
    };
    for (const auto &[options, expected] : cases)
        EXPECT_EQ(sheet::QualitySetting(options), expected) << options;
}
