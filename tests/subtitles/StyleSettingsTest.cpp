// SPDX-License-Identifier: GPL-3.0-or-later
// The style library's model: the 172-byte record, and the style file as the engine reads it back.

#include "StyleSettings.h"
#include "StyleFile.h"

// The engine's own reader of the style file.
#include "SubtitleStyle.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

using namespace subtitles;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

StyleSettings Unusual()
{
    StyleSettings s = DefaultStyle("DejaVu Serif");
    s.font_size = 32;
    s.bold = true;
    s.italic = true;
    s.primary = 0xFFFFFF00; // opaque yellow
    s.outline = 0x800000FF; // half-transparent blue
    s.shadow = 0x40102030;
    s.outline_width = 2.5;
    s.shadow_distance = 1.5;
    s.alignment = 8;
    s.margin_left = 20;
    s.margin_right = 30;
    s.margin_vertical = 40;
    return s;
}

/// Points the engine at path for the length of a test.
struct StyleFileEnvironment
{
    explicit StyleFileEnvironment(const std::filesystem::path &path)
    {
        setenv("QUILLET_SUBTITLE_STYLE", path.c_str(), 1);
    }
    ~StyleFileEnvironment() { unsetenv("QUILLET_SUBTITLE_STYLE"); }
};

} // namespace

TEST(StyleRecord, isLaidOutAsItsHeaderSays)
{
    EXPECT_EQ(sizeof(StSubtitleStyle), 172u);
    EXPECT_EQ(offsetof(StSubtitleStyle, font_name), 4u);
    EXPECT_EQ(offsetof(StSubtitleStyle, font_size), 100u);
    EXPECT_EQ(offsetof(StSubtitleStyle, primary_colour), 112u);
    EXPECT_EQ(offsetof(StSubtitleStyle, outline_width), 124u);
    EXPECT_EQ(offsetof(StSubtitleStyle, alignment), 132u);
    EXPECT_EQ(offsetof(StSubtitleStyle, margin_vertical), 144u);
    EXPECT_EQ(offsetof(StSubtitleStyle, reserved), 148u);
}

TEST(StyleRecord, carriesEveryFieldAcrossTheBoundary)
{
    StSubtitleStyle record;
    std::memset(&record, 0xAB, sizeof record); // whatever the caller's memory held
    ASSERT_TRUE(ToRecord(Unusual(), record));
    EXPECT_EQ(record.magic, ST_STYLE_MAGIC);
    for (unsigned char byte : record.reserved)
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(FromRecord(record), Unusual());

    // The longest name that fits, with a two-byte character at the end.
    StyleSettings long_name = Unusual();
    long_name.font_name = std::string(kMaxFontNameBytes - 2, 'x') + "\xC3\xA9";
    ASSERT_TRUE(ToRecord(long_name, record));
    EXPECT_EQ(FromRecord(record)->font_name, long_name.font_name);
}

TEST(StyleRecord, refusesRecordsTheDialogDidNotFill)
{
    StSubtitleStyle zero{};
    EXPECT_FALSE(FromRecord(zero));

    StSubtitleStyle good;
    ASSERT_TRUE(ToRecord(Unusual(), good));
    auto broken = [&](auto change) {
        StSubtitleStyle record = good;
        change(record);
        return !FromRecord(record).has_value();
    };
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.magic = 0; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { std::memset(r.font_name, 'a', 96); }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.font_name[0] = 0; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { std::strcpy(r.font_name, "A,Fontsize=99"); }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.font_size = 0; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.font_size = kMaxFontSize + 1; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.bold = 2; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.outline_width = NAN; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.shadow_distance = -1; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.alignment = 10; }));
    EXPECT_TRUE(broken([](StSubtitleStyle &r) { r.margin_right = kMaxMargin + 1; }));

    StyleSettings bad = Unusual();
    bad.font_name = std::string(kMaxFontNameBytes + 1, 'x');
    // Copied byte for byte, padding included, so any byte ToRecord writes shows.
    StSubtitleStyle untouched{};
    std::memcpy(&untouched, &good, sizeof good);
    EXPECT_FALSE(ToRecord(bad, untouched));
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): both sides are byte copies
    EXPECT_EQ(std::memcmp(&untouched, &good, sizeof good), 0);
}

TEST(StyleFile, whatIsSavedIsWhatTheEngineReadsBack)
{
    TempDir dir;
    const auto path = dir.path() / "config" / "quillet" / "subtitle-style.ini";
    const StyleFileEnvironment environment(path);
    const StyleFile file;
    EXPECT_EQ(file.Location(), path);
    std::string error;
    ASSERT_TRUE(file.Save(Unusual(), &error)) << error;

    const std::string engine = dolmar::SubtitleStyle::ForceStyle();
    EXPECT_EQ(engine, file.ForceStyleAfterSaving(Unusual()));
    EXPECT_NE(engine.find("Fontname=DejaVu Serif"), std::string::npos) << engine;
    EXPECT_NE(engine.find("PrimaryColour=&H0000FFFF"), std::string::npos) << engine;
    EXPECT_NE(engine.find("OutlineColour=&H7FFF0000"), std::string::npos) << engine;
    EXPECT_NE(engine.find("Outline=2.5"), std::string::npos) << engine;
    // Top centre, in the numbering libass reads force_style's alignment in.
    EXPECT_NE(engine.find("Alignment=6"), std::string::npos) << engine;
    EXPECT_EQ(FromForceStyle(engine, DefaultStyle("Sans")), Unusual());
    EXPECT_EQ(file.Load(DefaultStyle("Sans")), Unusual());
}

TEST(StyleFile, savingRewritesItsFieldsAndKeepsTheRestOfTheFile)
{
    TempDir dir;
    const auto path = WriteFile(dir.path() / "style.ini",
                                "; my own notes\n"
                                "[Style]\n"
                                "Fontsize=99\n"
                                "Underline=1\n"
                                "[Other]\n"
                                "Key=kept\n");
    const StyleFile file(path);
    // The preview shows what the file will hold, the hand-written underline included.
    EXPECT_NE(file.ForceStyleAfterSaving(Unusual()).find("Underline=1"), std::string::npos);
    ASSERT_TRUE(file.Save(Unusual()));
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.rfind("; my own notes\n[Style]\nFontsize=32\nUnderline=1\n", 0), 0u) << text;
    EXPECT_NE(text.find("[Other]\nKey=kept\n"), std::string::npos) << text;
    EXPECT_NE(text.find("BorderStyle=1\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Fontsize=99"), std::string::npos) << text;
}

TEST(StyleFile, aDamagedFileFallsBackFieldByField)
{
    TempDir dir;
    const auto path = WriteFile(dir.path() / "style.ini",
                                "[style]\n"
                                "FONTSIZE=100000\n"
                                "PrimaryColour=&HZZ\n"
                                "Alignment=12\n"
                                "Outline=3.5\n"
                                "Bold=-1\n"
                                "Fontname=Bad,Name=1\n");
    const StyleSettings defaults = DefaultStyle("DejaVu Sans");
    const StyleSettings loaded = StyleFile(path).Load(defaults);
    EXPECT_EQ(loaded.font_size, defaults.font_size);
    EXPECT_EQ(loaded.primary, defaults.primary);
    EXPECT_EQ(loaded.alignment, defaults.alignment);
    EXPECT_EQ(loaded.outline_width, 3.5);
    EXPECT_TRUE(loaded.bold);
    // The engine drops the separators from a name; what is left is still a usable name.
    EXPECT_EQ(loaded.font_name, "BadName1");
    EXPECT_EQ(StyleFile(dir.path() / "missing.ini").Load(defaults), defaults);
}

TEST(StyleFile, aFolderThatCannotBeMadeFailsTheSaveAndWritesNothing)
{
    TempDir dir;
    WriteFile(dir.path() / "plain-file", "x");
    const StyleFile file(dir.path() / "plain-file" / "quillet" / "style.ini");
    std::string error;
    EXPECT_FALSE(file.Save(Unusual(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(dir.path() / "plain-file"), "x");
}

TEST(StyleAlignment, keypadAndSsaNumberingsMapOneToOne)
{
    const int ssa[] = {1, 2, 3, 9, 10, 11, 5, 6, 7};
    for (int numpad = 1; numpad <= 9; ++numpad) {
        EXPECT_EQ(SsaAlignment(numpad), ssa[numpad - 1]) << numpad;
        EXPECT_EQ(NumpadAlignment(ssa[numpad - 1]), numpad) << numpad;
    }
    for (int missing : {0, 4, 8, 12, 13, 16, -1})
        EXPECT_FALSE(NumpadAlignment(missing)) << missing;
}

TEST(StyleColours, convertBetweenOpacityAndTheAssTransparency)
{
    EXPECT_EQ(AssColour(0xFFFFFF00), "&H0000FFFF");
    EXPECT_EQ(AssColour(0x00000000), "&HFF000000");
    EXPECT_EQ(AssColour(0x80123456), "&H7F563412");
    EXPECT_EQ(ParseAssColour("&H7F563412"), 0x80123456u);
    EXPECT_EQ(ParseAssColour("&H563412&"), 0xFF123456u); // no transparency given: opaque
    EXPECT_EQ(ParseAssColour("65535"), 0xFFFFFF00u); // decimal, as libass also takes it
    EXPECT_FALSE(ParseAssColour("&H"));
    EXPECT_FALSE(ParseAssColour("&H123456789"));
    EXPECT_FALSE(ParseAssColour("yellow"));
}
