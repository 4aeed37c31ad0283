// SPDX-License-Identifier: GPL-3.0-or-later
// The mending of clocks that jump, on packets as a transport stream's demuxer hands them over:
// stream 0 H.264 video at 25 fps with B-frames (pts two frames after dts), stream 1 AAC audio
// (1024 samples at 44.1 kHz), both in 1/90000.

#include "TimestampMender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using dolmar::TimestampMender;

namespace {

constexpr int64_t kSecond = 90000;
constexpr int64_t kFrame = 3600; // 40 ms
constexpr int64_t kAudioFrame = 2090; // 1024 / 44100 s

struct Stamped
{
    int stream;
    int64_t dts;
    int64_t pts;
};

/// Packets of a stretch of a recording: from its clock's start_s, for seconds, picture and
/// sound interleaved by time as a muxer does, sound ending audio_short_s before the picture.
std::vector<Stamped> Stretch(int64_t start, double seconds, double audio_short_s = 0)
{
    std::vector<Stamped> packets;
    const auto video_end = start + static_cast<int64_t>(seconds * kSecond);
    const auto audio_end = video_end - static_cast<int64_t>(audio_short_s * kSecond);
    int64_t video = start;
    int64_t audio = start;
    while (video < video_end || audio < audio_end) {
        if (video < video_end && (audio >= audio_end || video <= audio)) {
            packets.push_back({0, video, video + 2 * kFrame});
            video += kFrame;
        } else {
            packets.push_back({1, audio, audio});
            audio += kAudioFrame;
        }
    }
    return packets;
}

std::vector<Stamped> Join(std::vector<Stamped> a, const std::vector<Stamped> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Mender
{
public:
    explicit Mender(bool allows_jumps = true)
        : m_mender({{{1, 90000}, true}, {{1, 90000}, true}}, allows_jumps)
    { }

    std::vector<Stamped> Mend(const std::vector<Stamped> &packets)
    {
        std::vector<Stamped> out;
        for (const Stamped &in : packets) {
            AVPacket packet{};
            packet.stream_index = in.stream;
            packet.dts = in.dts;
            packet.pts = in.pts;
            packet.duration = in.stream == 0 ? kFrame : kAudioFrame;
            m_mender.Mend(&packet);
            out.push_back({in.stream, packet.dts, packet.pts});
        }
        return out;
    }

    TimestampMender m_mender;
};

/// The first packet of the stream at or after index in packets.
const Stamped &FirstOf(const std::vector<Stamped> &packets, std::size_t index, int stream)
{
    while (packets.at(index).stream != stream)
        ++index;
    return packets[index];
}

/// Each stream's dts runs on: never back, and never more than a frame and a bit ahead.
void ExpectContinuous(const std::vector<Stamped> &packets)
{
    int64_t last[2] = {AV_NOPTS_VALUE, AV_NOPTS_VALUE};
    for (const Stamped &p : packets) {
        if (last[p.stream] != AV_NOPTS_VALUE) {
            EXPECT_GE(p.dts, last[p.stream]) << "stream " << p.stream;
            EXPECT_LT(p.dts - last[p.stream], kSecond / 2) << "stream " << p.stream;
        }
        last[p.stream] = p.dts;
    }
}

TEST(TimestampMender, aJumpInEitherDirectionIsTakenOutAndPictureAndSoundStayTogether)
{
    const auto first = Stretch(126000, 2.0);
    const auto second = Stretch(600 * kSecond, 2.0);
    for (const auto &[before, after] :
         {std::pair{first, second}, std::pair{second, first},
          std::pair{Stretch(20 * kSecond, 2.0), Stretch(kSecond, 2.0)}}) {
        Mender mender;
        const auto mended = mender.Mend(Join(before, after));
        SCOPED_TRACE(after.front().dts);
        ExpectContinuous(mended);
        EXPECT_EQ(mender.m_mender.Joints(), 1u);
        // The first stretch is as it was; the second follows it without a gap.
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(mended[i].pts, before[i].pts);
        const Stamped &video = FirstOf(mended, before.size(), 0);
        const Stamped &audio = FirstOf(mended, before.size(), 1);
        EXPECT_NEAR(video.pts, before.front().pts + 2 * kSecond, kAudioFrame);
        // The picture and the sound of the second stretch are as far apart as they were.
        EXPECT_EQ(video.pts - audio.pts, FirstOf(after, 0, 0).pts - FirstOf(after, 0, 1).pts);
    }
}

TEST(TimestampMender, theNextStretchStartsWhereTheLongerStreamEnded)
{
    // The first recording's sound stops 1.5 s before its picture; the second recording's sound
    // crosses the joint first. Shifting it to where the sound stopped would put the second
    // picture 1.5 s early, over the end of the first one.
    auto first = Stretch(0, 3.0, 1.5);
    auto second = Stretch(900 * kSecond, 2.0);
    std::stable_partition(second.begin(), second.begin() + 6,
                          [](const Stamped &p) { return p.stream == 1; });
    Mender mender;
    const auto mended = mender.Mend(Join(first, second));
    const Stamped &video = FirstOf(mended, first.size(), 0);
    const Stamped &audio = FirstOf(mended, first.size(), 1);
    EXPECT_NEAR(audio.pts, 3 * kSecond + 2 * kFrame, kFrame);
    EXPECT_EQ(video.pts - audio.pts, 2 * kFrame);
}

TEST(TimestampMender, aDamagedTimestampIsPutBackAndTheStreamReturnsToItsClock)
{
    auto packets = Stretch(0, 4.0);
    auto damaged = packets;
    std::size_t hit = 0;
    for (std::size_t i = 0, audio = 0; i < damaged.size(); ++i)
        if (damaged[i].stream == 1 && ++audio == 40) {
            damaged[i].dts = damaged[i].pts = damaged[i].pts + 23760 * kSecond; // 6.6 hours
            hit = i;
        }
    Mender mender;
    const auto mended = mender.Mend(damaged);
    // Shown where the file had got to: the picture's end, a little ahead of the sound.
    EXPECT_NEAR(mended[hit].pts, packets[hit].pts, kSecond / 5.0);
    for (std::size_t i = hit + 1; i < packets.size(); ++i)
        ASSERT_EQ(mended[i].pts, packets[i].pts) << i;

    // Thousands of them, each somewhere else: the packets between stay on the source's clock.
    auto riddled = Stretch(0, 300.0);
    std::vector<bool> wild(riddled.size());
    for (std::size_t i = 5; i < riddled.size(); i += 5) {
        riddled[i].dts = riddled[i].pts = riddled[i].pts + int64_t(i % 7919 + 10) * kSecond;
        wild[i] = true;
    }
    const auto clean = Stretch(0, 300.0);
    Mender fresh;
    const auto mended_riddled = fresh.Mend(riddled);
    for (std::size_t i = 0; i < clean.size(); ++i) {
        if (!wild[i]) {
            ASSERT_EQ(mended_riddled[i].pts, clean[i].pts) << i;
        }
    }
}

TEST(TimestampMender, pausesOffsetsAndFormatsWithoutJumpsAreLeftAlone)
{
    // The sound pauses for 30 s while the picture goes on (an advertisement break).
    auto paused = Stretch(0, 40.0);
    paused.erase(std::remove_if(paused.begin(), paused.end(),
                                [](const Stamped &p) {
                                    return p.stream == 1 && p.dts > 5 * kSecond
                                        && p.dts < 35 * kSecond;
                                }),
                 paused.end());
    // The sound runs 5 s behind the picture all along.
    auto offset = Stretch(0, 10.0);
    for (Stamped &p : offset)
        if (p.stream == 1)
            p.dts = p.pts = p.pts + 5 * kSecond;
    // A jump in a format whose clock may not jump is the file's own business.
    const auto jump = Join(Stretch(0, 2.0), Stretch(600 * kSecond, 2.0));
    for (const auto &[packets, allows_jumps] :
         {std::pair{paused, true}, std::pair{offset, true}, std::pair{jump, false}}) {
        Mender mender(allows_jumps);
        const auto mended = mender.Mend(packets);
        EXPECT_EQ(mender.m_mender.Joints(), 0u);
        for (std::size_t i = 0; i < packets.size(); ++i)
            ASSERT_EQ(mended[i].pts, packets[i].pts) << i;
    }
}

TEST(TimestampMender, aSeekStartsAfresh)
{
    Mender mender;
    mender.Mend(Join(Stretch(0, 2.0), Stretch(600 * kSecond, 2.0)));
    mender.m_mender.Restart();
    EXPECT_EQ(mender.m_mender.Joints(), 0u);
    // Read from the second stretch on, its clock is the file's clock.
    const auto second = Stretch(601 * kSecond, 1.0);
    const auto mended = mender.Mend(second);
    for (std::size_t i = 0; i < second.size(); ++i)
        ASSERT_EQ(mended[i].pts, second[i].pts) << i;
}

} // namespace
