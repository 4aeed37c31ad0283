// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-cli's per-task report read back as a script reads it: real conversions of clips made
// here, with one damaged file among them.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <gtest/gtest.h>

#include <filesystem>

using namespace quillet::test;

namespace {

constexpr const char *kFastProfile = "ipodmp4.ini:iPod Video MPEG-4 (320x240)";

std::string Cli()
{
    return (ProgramDir() / "quillet-cli").string();
}

std::vector<std::string> Environment(const TempDir &home)
{
    return {"QUILLET_SETTINGS_DIR=" + home.file("settings"),
            "DISPLAY=", "WAYLAND_DISPLAY=", "LANG=C", "LANGUAGE="};
}

/// Every line of out parsed as one JSON object; a line that is not one fails the test.
std::vector<QJsonObject> JsonLines(const std::string &out)
{
    std::vector<QJsonObject> objects;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        QJsonParseError error{};
        const QJsonDocument document
            = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
        EXPECT_TRUE(document.isObject()) << line;
        objects.push_back(document.object());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return objects;
}

std::string Text(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString().toStdString();
}

} // namespace

TEST(CliJsonReport, oneObjectPerFileWithEveryFieldForABatchWithOneFailure)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    const auto first = MakeClip(home.path() / "first clip.avi", recipe);
    const auto damaged = WriteFile(home.path() / "damaged.mp4",
                                   "\x00\x00\x00\x18"
                                   "ftypmp42 cut");
    const auto last = MakeClip(home.path() / "last.avi", recipe);
    auto run = RunCommand({Cli(), "--json", "-p", kFastProfile, "-o", home.file("out"),
                           first.string(), damaged.string(), last.string()},
                          Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;

    // Standard output holds the JSON lines only: no bare output paths among them.
    const std::vector<QJsonObject> objects = JsonLines(run.out);
    ASSERT_EQ(objects.size(), 3u) << run.out;
    for (const QJsonObject &object : objects) {
        EXPECT_EQ(object.keys(), (QStringList{"output", "reason", "seconds", "source", "status"}));
        EXPECT_TRUE(object.value("seconds").isDouble());
        EXPECT_GE(object.value("seconds").toDouble(), 0);
        EXPECT_LT(object.value("seconds").toDouble(), 60);
    }

    EXPECT_EQ(Text(objects[0], "source"), first.string());
    EXPECT_EQ(Text(objects[0], "output"), home.file("out/first clip.mp4"));
    EXPECT_EQ(Text(objects[0], "status"), "made");
    EXPECT_TRUE(objects[0].value("reason").isNull());
    EXPECT_GT(objects[0].value("seconds").toDouble(), 0);
    EXPECT_TRUE(Ffprobe(Text(objects[0], "output")).ok);

    EXPECT_EQ(Text(objects[1], "source"), damaged.string());
    EXPECT_TRUE(objects[1].value("output").isNull());
    EXPECT_EQ(Text(objects[1], "status"), "failed");
    EXPECT_FALSE(Text(objects[1], "reason").empty());
    // The reason is the one the failure list on standard error gives.
    EXPECT_NE(run.err.find("damaged.mp4: " + Text(objects[1], "reason")), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(home.file("out/damaged.mp4")));

    EXPECT_EQ(Text(objects[2], "source"), last.string());
    EXPECT_EQ(Text(objects[2], "output"), home.file("out/last.mp4"));
    EXPECT_EQ(Text(objects[2], "status"), "made");
    EXPECT_TRUE(objects[2].value("reason").isNull());
}

TEST(CliJsonReport, summaryListsEachFileAndWithJsonLeavesStandardOutputToIt)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    const auto clip = MakeClip(home.path() / "clip.avi", recipe);
    const auto damaged = WriteFile(home.path() / "damaged.mp4", "not a movie");
    auto run = RunCommand({Cli(), "--summary", "-p", kFastProfile, "-o", home.file("out"),
                           clip.string(), damaged.string()},
                          Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    // The output list, then one line per file and the count.
    EXPECT_EQ(run.out.rfind(home.file("out/clip.mp4") + "\nmade ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(clip.string() + " -> " + home.file("out/clip.mp4") + "\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\nfailed "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(damaged.string() + ": "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 of 2 made\n"), std::string::npos) << run.out;

    run = RunCommand({Cli(), "--summary", "--json", "-p", kFastProfile, "-o", home.file("out2"),
                      clip.string(), damaged.string()},
                     Environment(home));
    EXPECT_EQ(JsonLines(run.out).size(), 2u) << run.out;
    EXPECT_NE(run.err.find("1 of 2 made\n"), std::string::npos) << run.err;
}

// File names are bytes: two names that differ only in a byte that is not UTF-8 are reported so
// that a script opens each file it is told of, through the escaped text or the bytes.
TEST(CliJsonReport, namesThatAreNotUtf8NameTheirFilesExactly)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 0.4;
    recipe.width = 160;
    recipe.height = 120;
    const auto acute = MakeClip(home.path() / "caf\xe9.avi", recipe);
    const auto grave = MakeClip(home.path() / "caf\xe8.avi", recipe);
    const auto run = RunCommand({Cli(), "--json", "-p", kFastProfile, "-o", home.file("out"),
                                 acute.string(), grave.string()},
                                Environment(home));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::vector<QJsonObject> objects = JsonLines(run.out);
    ASSERT_EQ(objects.size(), 2u) << run.out;
    EXPECT_TRUE(objects[0].contains(QLatin1String("output_bytes")));
    // Every path given, read back by a script as a script reads it: each names its own file.
    const std::string script = home.file("open.py");
    WriteFile(script,
              "import json, os, sys\n"
              "for line in sys.stdin:\n"
              "    result = json.loads(line)\n"
              "    for key in ('source', 'output'):\n"
              "        escaped = os.fsencode(result[key])\n"
              "        raw = bytes.fromhex(result[key + '_bytes'])\n"
              "        assert escaped == raw, (escaped, raw)\n"
              "        with open(result[key], 'rb') as f:\n"
              "            f.read(1)\n"
              "        sys.stdout.buffer.write(raw + b'\\n')\n");
    const std::string listed = home.file("listed");
    WriteFile(listed, run.out);
    const auto opened = RunCommand({"sh", "-c", "python3 \"$0\" < \"$1\"", script, listed});
    ASSERT_EQ(opened.exit_code, 0) << opened.err;
    EXPECT_EQ(opened.out,
              acute.string() + "\n" + home.file("out/caf\xe9.mp4") + "\n" + grave.string() + "\n"
                  + home.file("out/caf\xe8.mp4") + "\n");
}

// A file that cannot fit its split size even at the lowest rate its profile allows is refused
// before anything is converted, rather than cut.
TEST(CliJsonReport, aFileThatCannotFitItsSplitSizeIsRefusedBeforeConverting)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 12;
    MakeClip(home.path() / "clip.mkv", recipe);
    const auto run
        = RunCommand({Cli(), "-p", "hd_divxavi.ini:HD DivX AVI (1280x720)", "-o", home.file("out"),
                      "--split", "Custom", "--split-size", "1", "--json", home.file("clip.mkv")},
                     Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_NE(run.err.find("This file needs at least 3."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Custom holds 1.0 MB"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(home.file("out")));
}
