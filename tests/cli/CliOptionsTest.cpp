// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

using quillet::cli::CliOptions;
using quillet::cli::ParseCliOptions;

namespace {
CliOptions Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "quillet-cli");
    return ParseCliOptions(args);
}
} // namespace

TEST(CliOptions, readsEveryOptionInBothSpellings)
{
    CliOptions o = Parse({"-p",
                          "ipadh264.ini:iPad Video H.264 (1024x768)",
                          "--output=/tmp/o",
                          "--merge",
                          "--split",
                          "DVD-5 (4.7GB)",
                          "--split-size",
                          "700",
                          "--audio-tracks",
                          "1,3",
                          "--subtitle",
                          "s.srt",
                          "--extract-subtitles",
                          "--summary",
                          "--json",
                          "--queue",
                          "q.json",
                          "a.mkv",
                          "--",
                          "-odd name.avi"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.profile_file, "ipadh264.ini");
    EXPECT_EQ(o.profile_section, "iPad Video H.264 (1024x768)");
    EXPECT_EQ(o.output_dir, "/tmp/o");
    EXPECT_TRUE(o.merge);
    EXPECT_EQ(o.split, "DVD-5 (4.7GB)");
    EXPECT_EQ(o.split_size_mb, 700);
    EXPECT_EQ(o.audio_tracks, (std::vector<int>{1, 3}));
    EXPECT_EQ(o.subtitle, "s.srt");
    EXPECT_TRUE(o.extract_subtitles);
    EXPECT_TRUE(o.summary);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.queue_file, "q.json");
    EXPECT_FALSE(Parse({"a.mkv"}).summary);
    EXPECT_FALSE(Parse({"a.mkv"}).json);
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.mkv", "-odd name.avi"}));
}

TEST(CliOptions, refusesWhatItCannotRead)
{
    for (auto args : std::vector<std::vector<std::string>>{{"--bogus"},
                                                           {"-p"},
                                                           {"--profile", "nocolon"},
                                                           {"--profile", ":x"},
                                                           {"--split-size", "100001"},
                                                           {"--split-size", "12MB"},
                                                           {"--audio-tracks", "0"},
                                                           {"--audio-tracks", "1,,2"},
                                                           {"--merge=yes"},
                                                           {"--json=pretty"},
                                                           {"--queue="}}) {
        EXPECT_FALSE(Parse(args).error.empty()) << args.front();
    }
    EXPECT_EQ(Parse({"--list-profiles"}).mode, CliOptions::Mode::ListProfiles);
    EXPECT_EQ(Parse({"--probe", "x"}).mode, CliOptions::Mode::Probe);
    EXPECT_EQ(Parse({"-h"}).mode, CliOptions::Mode::Help);
}
