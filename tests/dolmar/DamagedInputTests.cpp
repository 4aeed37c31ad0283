// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged inputs end the run with a failure and a message, never a crash or a hang, and leave
// no half-written output behind. These run under AddressSanitizer and UBSan as well (label
// "sanitize").

#include "EngineHarness.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>

using namespace quillet::test;
using dolmar_test::ProbeResult;
using dolmar_test::RunEngine;
using dolmar_test::ShiftTransportClock;

namespace {

std::string RandomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char &c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

class DamagedInput : public ::testing::Test
{
protected:
    void SetUp() override { m_good = MakeClip(m_dir.path() / "good.mp4").string(); }

    /// The run fails, says so naming the file, leaves no output, and does not take long.
    void ExpectCleanFailure(const std::string &input)
    {
        const std::string out = m_dir.file("out.mp4");
        const auto start = std::chrono::steady_clock::now();
        const auto run = RunEngine({"-i", input, out});
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(run.result, DOLMAR_FAILED) << input;
        ASSERT_EQ(run.messages.size(), 1u) << run.AllMessages();
        EXPECT_NE(run.messages[0].find(std::filesystem::path(input).filename().string()),
                  std::string::npos)
            << run.messages[0];
        EXPECT_FALSE(std::filesystem::exists(out)) << input;
        EXPECT_LT(took, std::chrono::seconds(30)) << input;

        ProbeResult probe(input);
        if (probe.context.stream_count == 0) {
            EXPECT_EQ(probe.streams, nullptr);
        }
    }

    TempDir m_dir;
    std::string m_good;
};

TEST_F(DamagedInput, zeroBytes)
{
    ExpectCleanFailure(WriteFile(m_dir.path() / "empty.mp4", "").string());
}

TEST_F(DamagedInput, textFileNamedLikeAMovie)
{
    ExpectCleanFailure(
        WriteFile(m_dir.path() / "notes.mp4", "Shopping list:\n- milk\n- 4 eggs\n").string());
}

TEST_F(DamagedInput, mp4TruncatedInTheMiddle)
{
    // The index of an MP4 from ffmpeg is at the end, so the first half holds no readable index.
    const std::string whole = ReadFile(m_good);
    ExpectCleanFailure(
        WriteFile(m_dir.path() / "half.mp4", whole.substr(0, whole.size() / 2)).string());
}

TEST_F(DamagedInput, randomBytesBehindARealHeader)
{
    ClipRecipe recipe;
    recipe.video_codec = "libx264";
    const std::string mkv = ReadFile(MakeClip(m_dir.path() / "good.mkv", recipe));
    const std::string broken = mkv.substr(0, 600) + RandomBytes(300000, 7);
    ExpectCleanFailure(WriteFile(m_dir.path() / "broken.mkv", broken).string());

    const std::string ts_head = ReadFile(MakeClip(m_dir.path() / "good.ts", recipe)).substr(0, 376);
    ExpectCleanFailure(
        WriteFile(m_dir.path() / "broken.ts", ts_head + RandomBytes(300000, 11)).string());
}

TEST_F(DamagedInput, randomBytesAlone)
{
    ExpectCleanFailure(WriteFile(m_dir.path() / "noise.avi", RandomBytes(200000, 3)).string());
}

TEST_F(DamagedInput, fileCutShortConvertsWhatItHolds)
{
    // A stream format without an index at the end still plays up to the cut; so does its
    // conversion, which is worth more to the user than a refusal.
    ClipRecipe recipe;
    recipe.seconds = 2.0;
    const std::string whole = ReadFile(MakeClip(m_dir.path() / "whole.mkv", recipe));
    const std::string cut
        = WriteFile(m_dir.path() / "cut.mkv", whole.substr(0, whole.size() / 2)).string();
    const auto run = RunEngine({"-i", cut, m_dir.file("rescued.mp4")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const auto probed = Ffprobe(m_dir.file("rescued.mp4"));
    EXPECT_GT(probed.duration, 0.3);
    EXPECT_LT(probed.duration, 1.8);
}

/// Matroska with one cluster's timecode set as far ahead as its two bytes go (65.5 s): the
/// cluster at or after byte from whose timecode is written in two bytes.
std::string MatroskaWithAClusterAhead(std::string mkv, std::size_t from)
{
    static const char kCluster[] = "\x1F\x43\xB6\x75";
    for (std::size_t at = mkv.find(kCluster, from, 4); at != std::string::npos;
         at = mkv.find(kCluster, at + 4, 4)) {
        std::size_t i = at + 4;
        const auto first = static_cast<unsigned char>(mkv[i]);
        std::size_t size_length = 1;
        while (size_length < 8 && !(first & (0x80 >> (size_length - 1))))
            ++size_length;
        i += size_length;
        if (static_cast<unsigned char>(mkv[i]) == 0xBF) // a CRC-32 element first
            i += 6;
        if (static_cast<unsigned char>(mkv[i]) == 0xE7
            && static_cast<unsigned char>(mkv[i + 1]) == 0x82) {
            mkv[i + 2] = mkv[i + 3] = '\xFF';
            return mkv;
        }
    }
    throw std::runtime_error("no cluster to damage");
}

TEST_F(DamagedInput, aTimestampFarAheadAddsNoHoursOfSilence)
{
    // One sound packet of a 2 s transport stream claims to be 6.6 hours in. The run keeps to the
    // content's length (and is stopped if it runs on past a minute).
    ClipRecipe recipe;
    recipe.video_codec = "libx264";
    const std::string ts = ReadFile(MakeClip(m_dir.path() / "clip.ts", recipe));
    const std::string damaged
        = WriteFile(m_dir.path() / "damaged.ts",
                    ShiftTransportClock(ts, ts.size() / 2, int64_t{23760} * 90000,
                                        dolmar_test::kTsAudioPid, 1))
              .string();
    ASSERT_NE(ReadFile(damaged), ts);
    const std::string out = m_dir.file("out.mp4");
    auto run = RunEngine({"-i", damaged, out}, {.stop_at_position_s = 60});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    auto probed = Ffprobe(out);
    EXPECT_NEAR(probed.duration, 2.0, 0.5);
    EXPECT_EQ(probed.count("audio"), 1);

    // A Matroska cluster (no clock jumps allowed there) whose timecode says 65.5 s in a 6 s
    // file: its frames are left out, the rest converts.
    recipe.seconds = 6;
    recipe.video_codec = "mpeg4";
    recipe.output_options = {"-g", "12", "-cluster_time_limit", "1000"};
    const std::string mkv = ReadFile(MakeClip(m_dir.path() / "clip.mkv", recipe));
    const std::string cluster_ahead
        = WriteFile(m_dir.path() / "cluster.mkv", MatroskaWithAClusterAhead(mkv, mkv.size() / 2))
              .string();
    run = RunEngine({"-i", cluster_ahead, out}, {.stop_at_position_s = 60});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    probed = Ffprobe(out);
    EXPECT_NEAR(probed.duration, 6.0, 0.5);
    EXPECT_EQ(probed.count("video"), 1);
}

} // namespace
