// SPDX-License-Identifier: GPL-3.0-or-later
// Transport and programme streams whose clock jumps: two recordings joined into one file, a clock
// reset inside one programme, DVD cells. The output lasts as long as the content, picture and
// sound stay together across the joint, and the run never runs away. These run under the
// sanitizers as well (label "sanitize").

#include "EngineHarness.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace quillet::test;
using dolmar_test::RunEngine;
using dolmar_test::ShiftTransportClock;

namespace {

constexpr int64_t kTicksPerSecond = 90000;

/// A recording whose picture flashes white and whose sound beeps at the same moments: half a
/// second into every second.
struct Recording
{
    double seconds = 2.0;
    double sound_seconds = 2.0;
    double clock_start_s = 0; ///< added to every timestamp (-output_ts_offset)
    bool dvd = false; ///< a VOB (MPEG-2 programme stream) instead of a transport stream
};

std::string Make(const TempDir &dir, const std::string &name, const Recording &r)
{
    std::string path = dir.file(name);
    std::vector<std::string> argv{
        "ffmpeg",
        "-nostdin",
        "-v",
        "error",
        "-y",
        "-f",
        "lavfi",
        "-i",
        "color=c=black:size=160x120:rate=25:duration=" + std::to_string(r.seconds)
            + ",drawbox=color=white:t=fill:enable='between(mod(t,1),0.5,0.539)'",
        "-f",
        "lavfi",
        "-i",
        "aevalsrc='if(between(mod(t,1),0.5,0.54),sin(2*PI*1000*t),0)':s=44100:d="
            + std::to_string(r.sound_seconds)};
    if (r.dvd)
        argv.insert(argv.end(), {"-f", "vob", "-c:v", "mpeg2video", "-g", "12", "-c:a", "ac3"});
    else
        argv.insert(
            argv.end(),
            {"-f", "mpegts", "-c:v", "libx264", "-g", "12", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    argv.insert(argv.end(), {"-output_ts_offset", std::to_string(r.clock_start_s), path});
    const auto made = RunCommand(argv);
    if (made.exit_code != 0)
        throw std::runtime_error("ffmpeg could not make " + path + ": " + made.err);
    return path;
}

std::string Joined(const TempDir &dir, const std::string &name,
                   const std::vector<std::string> &parts)
{
    std::string bytes;
    for (const auto &part : parts)
        bytes += ReadFile(part);
    return WriteFile(dir.path() / name, bytes).string();
}

/// When the output's picture turns white and its sound starts beeping, in seconds.
struct Marks
{
    std::vector<double> flashes;
    std::vector<double> beeps;
};

Marks FindMarks(const std::string &path)
{
    Marks marks;
    constexpr int kPixels = 16 * 12;
    const auto pictures = RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-an", "-vf",
                                      "scale=16:12", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    bool white = false;
    for (std::size_t frame = 0; (frame + 1) * kPixels <= pictures.out.size(); ++frame) {
        int sum = 0;
        for (int i = 0; i < kPixels; ++i)
            sum += static_cast<unsigned char>(pictures.out[frame * kPixels + i]);
        const bool now_white = sum > 128 * kPixels;
        if (now_white && !white)
            marks.flashes.push_back(static_cast<double>(frame) / 25);
        white = now_white;
    }
    constexpr int kRate = 8000;
    constexpr std::size_t kBlock = 40; // 5 ms
    const auto sound = RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-vn", "-ac",
                                   "1", "-ar", std::to_string(kRate), "-f", "s16le", "-"});
    const std::size_t samples = sound.out.size() / 2;
    bool loud = false;
    for (std::size_t block = 0; block * kBlock < samples; ++block) {
        int peak = 0;
        for (std::size_t i = block * kBlock; i < std::min(samples, (block + 1) * kBlock); ++i) {
            int16_t sample = 0;
            std::memcpy(&sample, sound.out.data() + 2 * i, 2);
            peak = std::max(peak, std::abs(int{sample}));
        }
        const bool now_loud = peak > 3000;
        if (now_loud && !loud)
            marks.beeps.push_back(static_cast<double>(block * kBlock) / kRate);
        loud = now_loud;
    }
    return marks;
}

/// Converts input to H.264 + AAC MP4; a run that goes past a minute of output is stopped.
std::string Convert(const TempDir &dir, const std::string &input, const std::string &name,
                    std::vector<std::string> input_options = {})
{
    std::string out = dir.file(name);
    std::vector<std::string> args = std::move(input_options);
    args.insert(args.end(), {"-i", input, "-vcodec", "h264", "-acodec", "aac", out});
    const auto run = RunEngine(args, {.stop_at_position_s = 60});
    EXPECT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    return out;
}

/// The output lasts `seconds`, and each second of it has its flash and its beep together at
/// half a second in (within two frames: the sources put the picture up to a frame late).
void ExpectFlashesInStep(const std::string &out, double seconds)
{
    SCOPED_TRACE(out);
    const auto probed = Ffprobe(out);
    EXPECT_NEAR(probed.duration, seconds, 0.1);
    const Marks marks = FindMarks(out);
    const auto count = static_cast<std::size_t>(std::lround(seconds));
    ASSERT_EQ(marks.flashes.size(), count);
    ASSERT_EQ(marks.beeps.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_NEAR(marks.flashes[i], 0.5 + double(i), 0.1) << i;
        EXPECT_NEAR(marks.beeps[i], marks.flashes[i], 0.07) << i;
    }
}

TEST(TimestampJump, twoRecordingsJoinedConvertToTheirLengthInEitherOrder)
{
    TempDir dir;
    const std::string a = Make(dir, "a.ts", {});
    const std::string b = Make(dir, "b.ts", {.clock_start_s = 600});
    ExpectFlashesInStep(Convert(dir, Joined(dir, "forward.ts", {a, b}), "forward.mp4"), 4.0);
    ExpectFlashesInStep(Convert(dir, Joined(dir, "backward.ts", {b, a}), "backward.mp4"), 4.0);

    // DVD cells: a programme stream (VOB) whose clock goes back.
    const std::string cell1 = Make(dir, "cell1.vob", {.clock_start_s = 600, .dvd = true});
    const std::string cell2 = Make(dir, "cell2.vob", {.dvd = true});
    ExpectFlashesInStep(Convert(dir, Joined(dir, "VTS_01_1.VOB", {cell1, cell2}), "dvd.mp4"), 4.0);
}

TEST(TimestampJump, aClockResetInsideOneProgrammeInEitherDirection)
{
    // One programme whose clock is set forward, or back, half-way: same PIDs, no new tables.
    TempDir dir;
    const std::string whole = ReadFile(Make(dir, "whole.ts", {.seconds = 4, .sound_seconds = 4}));
    const std::string forward
        = WriteFile(dir.path() / "forward.ts",
                    ShiftTransportClock(whole, whole.size() / 2, 3600 * kTicksPerSecond))
              .string();
    ExpectFlashesInStep(Convert(dir, forward, "forward.mp4"), 4.0);

    const std::string late
        = ReadFile(Make(dir, "late.ts", {.seconds = 4, .sound_seconds = 4, .clock_start_s = 600}));
    const std::string backward
        = WriteFile(dir.path() / "backward.ts",
                    ShiftTransportClock(late, late.size() / 2, -590 * kTicksPerSecond))
              .string();
    ExpectFlashesInStep(Convert(dir, backward, "backward.mp4"), 4.0);
}

TEST(TimestampJump, theSecondRecordingFollowsThePictureWhenTheFirstOnesSoundEndsEarly)
{
    // Sound that stops 0.8 s before the picture: the second recording must not start its sound
    // (nor its picture) where the first one's sound stopped.
    TempDir dir;
    const std::string a = Make(dir, "a.ts", {.sound_seconds = 1.2});
    const std::string b = Make(dir, "b.ts", {.clock_start_s = 600});
    const std::string out = Convert(dir, Joined(dir, "joined.ts", {a, b}), "joined.mp4");
    EXPECT_NEAR(Ffprobe(out).duration, 4.0, 0.1);
    const Marks marks = FindMarks(out);
    ASSERT_EQ(marks.flashes.size(), 4u);
    ASSERT_EQ(marks.beeps.size(), 3u); // the first recording's second beep was cut off
    EXPECT_NEAR(marks.beeps[0], marks.flashes[0], 0.07);
    EXPECT_NEAR(marks.beeps[1], marks.flashes[2], 0.07);
    EXPECT_NEAR(marks.beeps[2], marks.flashes[3], 0.07);
}

TEST(TimestampJump, cutPointsCountOnTheJoinedClock)
{
    TempDir dir;
    const std::string a = Make(dir, "a.ts", {});
    const std::string b = Make(dir, "b.ts", {.clock_start_s = 600});
    for (const auto &joined :
         {Joined(dir, "forward.ts", {a, b}), Joined(dir, "backward.ts", {b, a})}) {
        SCOPED_TRACE(joined);
        // Across the joint: the first recording's second flash, then the second one's first.
        const std::string across = Convert(dir, joined, "across.mp4", {"-ss", "1.0", "-t", "2.0"});
        EXPECT_NEAR(Ffprobe(across).duration, 2.0, 0.1);
        const Marks marks = FindMarks(across);
        ASSERT_EQ(marks.flashes.size(), 2u);
        EXPECT_NEAR(marks.flashes[0], 0.5, 0.1);
        EXPECT_NEAR(marks.flashes[1], 1.5, 0.1);

        // Inside the second recording.
        const std::string late = Convert(dir, joined, "late.mp4", {"-ss", "3.0", "-t", "0.8"});
        EXPECT_NEAR(Ffprobe(late).duration, 0.8, 0.1);
        const Marks late_marks = FindMarks(late);
        ASSERT_EQ(late_marks.flashes.size(), 1u);
        EXPECT_NEAR(late_marks.flashes[0], 0.5, 0.1);
    }

    // A jump back of less than a minute, which the demuxer does not take for its clock wrapping
    // round: the seek by timestamp is misled into the second recording.
    const std::string c
        = Make(dir, "c.ts", {.seconds = 4, .sound_seconds = 4, .clock_start_s = 100});
    const std::string d
        = Make(dir, "d.ts", {.seconds = 4, .sound_seconds = 4, .clock_start_s = 70});
    const std::string joined = Joined(dir, "back-a-little.ts", {c, d});
    for (const char *start : {"1.0", "5.0"}) {
        SCOPED_TRACE(start);
        const std::string out = Convert(dir, joined, "cut.mp4", {"-ss", start, "-t", "1.5"});
        EXPECT_NEAR(Ffprobe(out).duration, 1.5, 0.1);
        const Marks marks = FindMarks(out);
        ASSERT_EQ(marks.flashes.size(), 1u);
        EXPECT_NEAR(marks.flashes[0], 0.5, 0.1);
        ASSERT_EQ(marks.beeps.size(), 1u);
        EXPECT_NEAR(marks.beeps[0], marks.flashes[0], 0.07);
    }
}

} // namespace
