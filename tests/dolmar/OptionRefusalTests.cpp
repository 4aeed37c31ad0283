// SPDX-License-Identifier: GPL-3.0-or-later
// The argument vector is checked before any file is touched: every refusal is a DOLMAR_BAD_ARGS
// with one message that names what was wrong, and no output file appears. Each option's bad
// values are tested one level down, in EngineOptionsTest.cpp.

#include "EngineHarness.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using dolmar_test::RunEngine;
using quillet::test::TempDir;

namespace {

struct Refusal
{
    std::vector<std::string> args; ///< "IN" and "OUT" stand for the two file names
    std::string named; ///< what the message must mention
};

void PrintTo(const Refusal &refusal, std::ostream *os)
{
    for (const auto &arg : refusal.args)
        *os << arg << ' ';
}

class OptionRefusal : public ::testing::TestWithParam<Refusal>
{
};

TEST_P(OptionRefusal, isRefusedWithAMessageNamingIt)
{
    TempDir dir;
    const std::string out = dir.file("out.mp4");
    std::vector<std::string> args;
    for (const auto &arg : GetParam().args)
        args.push_back(arg == "IN" ? dir.file("in.mp4") : arg == "OUT" ? out : arg);

    const auto run = RunEngine(args);
    EXPECT_EQ(run.result, DOLMAR_BAD_ARGS);
    ASSERT_EQ(run.messages.size(), 1u) << run.AllMessages();
    EXPECT_NE(run.messages[0].find(GetParam().named), std::string::npos) << run.messages[0];
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    UnknownOptionsAndMissingValues, OptionRefusal,
    ::testing::Values(Refusal{{"-i", "IN", "-deinterlace", "OUT"}, "-deinterlace"},
                      Refusal{{"-i", "IN", "-B", "300", "OUT"}, "-B"},
                      Refusal{{"-i", "IN", "OUT", "-ar"}, "-ar"}, Refusal{{"-i"}, "-i"},
                      Refusal{{"-i", "IN", "-vhook", "Deinterlace -f x", "OUT"}, "Deinterlace"},
                      Refusal{{"-i", "IN", "-vhook", "SubTitleHook", "OUT"}, "-vhook"},
                      Refusal{{"-i", "IN", "-vcodec", "copy", "OUT"}, "copy"},
                      Refusal{{"-i", "IN"}, "No output file"}, Refusal{{"OUT"}, "no input"},
                      Refusal{{"-i", "IN", "OUT", "second.mp4"}, "second.mp4"},
                      Refusal{{"-i", "IN", "OUT", "-acodec", "ac3"}, "-newaudio"},
                      Refusal{{"-i", "IN", "OUT", "-s", "320x240", "-newaudio"}, "-s"},
                      Refusal{{"-i", "IN", "-newaudio", "OUT"}, "-newaudio"},
                      Refusal{{"-i", "IN", "-ss", "5", "OUT"}, "-ss"},
                      Refusal{{"-vcodec", "mpeg4", "-i", "IN", "OUT"}, "-vcodec"},
                      Refusal{{"-i", "IN", "-an", "-vn", "OUT"}, "-an"}));

INSTANTIATE_TEST_SUITE_P(
    MergedInputs, OptionRefusal,
    ::testing::Values(
        Refusal{{"-ivs", "&new &file IN", "-i", "IN", "OUT"}, "-i"},
        Refusal{{"-ivs", "&new &stream IN", "OUT"}, "&new &stream"},
        Refusal{{"-ivs", "&new &file ", "OUT"}, "names no file"},
        Refusal{{"-ias", "&file IN", "OUT"}, "-ias"},
        Refusal{{"-ivs", "&new &file IN", "-ias", "&file other.mp4", "OUT"}, "other.mp4"},
        Refusal{{"-ivs", "&new &file IN", "-ias", "&file IN", "-map", "0:1", "OUT"}, "-map"}));

TEST(OptionRefusalWithoutCallback, aNullCallbackOrAnEmptyVectorIsNoCrash)
{
    TempDir dir;
    std::string program = "ffmain";
    std::string option = "-bogus";
    char *argv[] = {program.data(), option.data(), nullptr};
    EXPECT_EQ(ffmain(2, argv, nullptr), DOLMAR_BAD_ARGS);
    EXPECT_EQ(ffmain(0, nullptr, nullptr), DOLMAR_BAD_ARGS);
    EXPECT_EQ(ffmain(1, argv, nullptr), DOLMAR_BAD_ARGS);
}

} // namespace
