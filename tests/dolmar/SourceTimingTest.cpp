// SPDX-License-Identifier: GPL-3.0-or-later
// When a source's pictures are meant to be shown, decided without a media file: the rate a
// phone clip that varies its rate really keeps, which pictures of a stream that states no
// scanning are woven from two fields, and when those woven pictures are film pulled down to
// 29.97.

#include "CombDetector.h"
#include "CombSums.h"
#include "EngineUnit.h"
#include "FilmCadence.h"
#include "FrameRateRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <utility>

using namespace dolmar;
using dolmar_unit::CameraSource;
using dolmar_unit::Parse;

namespace {

bool Is(AVRational q, int num, int den)
{
    return av_cmp_q(q, AVRational{num, den}) == 0;
}

/// Picture times of stretches at constant rates: {{30, 1.0}, {15, 1.0}} is a second at 30 fps,
/// then one at 15.
std::vector<double> Stretches(const std::vector<std::pair<double, double>> &rates)
{
    std::vector<double> times;
    double at = 0;
    for (const auto &[fps, seconds] : rates) {
        const int pictures = static_cast<int>(std::lround(fps * seconds));
        for (int i = 0; i < pictures; ++i)
            times.push_back(at + i / fps);
        at += pictures / fps;
    }
    return times;
}

/// A grey picture width x 96 drawn by value(x, y); 4:2:0, as decoders hand pictures over.
FramePtr Picture(const std::function<int(int, int)> &value, int width = 128)
{
    FramePtr frame = MakeFrame();
    frame->width = width;
    frame->height = 96;
    frame->format = AV_PIX_FMT_YUV420P;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int y = 0; y < frame->height; ++y)
        for (int x = 0; x < frame->width; ++x)
            frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(value(x, y));
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < frame->height / 2; ++y)
            for (int x = 0; x < (frame->width + 1) / 2; ++x)
                frame->data[plane][y * frame->linesize[plane] + x] = 128;
    return frame;
}

/// A bright square moving right by 4 pixels a field (in 128 columns), over a still pattern of
/// one-line stripes (the sharpest detail a picture can hold, and what fooled whole-stream
/// interlace probes).
int Scene(int x, int y, double field, int width = 128)
{
    x = x * 128 / width;
    const int left = 8 + static_cast<int>(4 * field);
    if (x >= left && x < left + 32 && y >= 24 && y < 72)
        return 230;
    return (y & 1) ? 40 : 90;
}

/// Picture n of a progressive stream: one moment.
FramePtr Progressive(int n)
{
    return Picture([n](int x, int y) { return Scene(x, y, 2.0 * n); });
}

/// Picture n of an interlaced stream: its two fields from moments a field apart.
FramePtr Woven(int n, bool top_first)
{
    return Picture([n, top_first](int x, int y) {
        const bool first_field = ((y & 1) == 0) == top_first;
        return Scene(x, y, 2.0 * n + (first_field ? 0 : 1));
    });
}

} // namespace

TEST(SourceRate, theHighestRateKeptUpForASecondIsTheSourcesRate)
{
    struct Case
    {
        std::vector<std::pair<double, double>> stretches;
        AVRational expected;
    };
    const std::vector<Case> cases{
        {{{30, 1.0}, {15, 1.0}, {24, 1.0}}, {30, 1}}, // a phone in good light, then dim
        {{{15, 1.5}, {30000.0 / 1001, 1.2}}, {30000, 1001}}, // 29.97 is not 30
        {{{24000.0 / 1001, 2.0}}, {24000, 1001}},
        {{{60, 0.3}, {30, 2.0}}, {30, 1}}, // a burst shorter than a second is no rate
        {{{12.5, 2.0}}, {25, 2}}, // an unusual rate is kept as measured
        {{{30, 0.5}}, {0, 1}}, // too short to tell
    };
    for (const Case &c : cases) {
        const AVRational rate = frame_rate::Sustained(Stretches(c.stretches));
        EXPECT_TRUE(Is(rate, c.expected.num, c.expected.den)) << rate.num << "/" << rate.den;
    }
    // Millisecond timestamps (Matroska) land beside the exact times.
    std::vector<double> rounded;
    for (double t : Stretches({{30000.0 / 1001, 2.0}}))
        rounded.push_back(std::round(t * 1000) / 1000);
    EXPECT_TRUE(Is(frame_rate::Sustained(rounded), 30000, 1001));
}

TEST(SourceRate, aClipWhoseRateVariesGetsItsSustainedRateNotItsContainersClock)
{
    SourceFacts phone = CameraSource(1280, 720);
    phone.streams[0].guessed_frame_rate = {120, 1}; // the MP4 track's clock
    phone.streams[0].average_frame_rate = {23456, 1000};
    phone.streams[0].sustained_frame_rate = {30, 1};
    ASSERT_TRUE(phone.streams[0].VariableRate());
    const auto rate_for = [&](const std::vector<std::string> &options, const std::string &out) {
        std::vector<std::string> args{"-i", phone.path};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(out);
        return OutputTargets::Decide(Parse(args), phone).video->frame_rate;
    };
    EXPECT_TRUE(Is(rate_for({"-vcodec", "mpeg4", "-vtag", "DX50"}, "/out/a.avi"), 30, 1));
    EXPECT_TRUE(Is(rate_for({}, "/out/a.mp4"), 30, 1));
    // Held to the level (3600 macroblocks at level 3.1: 30) and to -r.
    phone.streams[0].sustained_frame_rate = {60, 1};
    EXPECT_TRUE(Is(rate_for({"-vcodec", "h264", "-level", "31"}, "/out/a.mp4"), 30, 1));
    EXPECT_TRUE(Is(rate_for({"-r", "29.970"}, "/out/a.vob"), 30000, 1001));
    // A steady source's stated rate stands.
    const SourceFacts steady = CameraSource();
    EXPECT_FALSE(steady.streams[0].VariableRate());
}

TEST(Scanning, wovenPicturesAreFoundAndProgressiveOnesPassHoweverSharp)
{
    // Pictures judged between their neighbours, and at the ends with one neighbour only.
    for (int n : {1, 2}) {
        const CombDetector::Verdict still = CombDetector::Judge(
            Progressive(n - 1).get(), Progressive(n).get(), Progressive(n + 1).get());
        EXPECT_FALSE(still.combed) << n;
        const CombDetector::Verdict top = CombDetector::Judge(
            Woven(n - 1, true).get(), Woven(n, true).get(), Woven(n + 1, true).get());
        EXPECT_TRUE(top.combed) << n;
        EXPECT_TRUE(top.top_first) << n;
        const CombDetector::Verdict bottom = CombDetector::Judge(
            Woven(n - 1, false).get(), Woven(n, false).get(), Woven(n + 1, false).get());
        EXPECT_TRUE(bottom.combed) << n;
        EXPECT_FALSE(bottom.top_first) << n;
    }
    EXPECT_TRUE(CombDetector::Judge(Woven(0, true).get(), Woven(1, true).get(), nullptr).combed);
    EXPECT_FALSE(CombDetector::Judge(nullptr, Progressive(0).get(), Progressive(1).get()).combed);
    // Nothing moves: nothing to tell by, the stripes notwithstanding.
    EXPECT_FALSE(
        CombDetector::Judge(Woven(0, true).get(), Woven(0, true).get(), Woven(0, true).get())
            .combed);
}

TEST(Scanning, readingPlainBytesDirectlyMeasuresExactlyWhatCopyingThemDoes)
{
    // Widths whose rows end inside a sixteen-byte load, at both column steps; grain from none to
    // enough that the noise, not the fixed bar, sets what moves.
    std::mt19937 random(7);
    for (int width : {128, 134, 718, 1198, 1202, 1288, 1926}) {
        for (int grain : {0, 3, 12, 40}) {
            std::uniform_int_distribution<int> noise(-grain, grain);
            std::vector<FramePtr> pictures;
            for (int n = 0; n < 3; ++n) {
                const bool woven = (width + grain) % 2 == 0;
                pictures.push_back(Picture(
                    [&](int x, int y) {
                        const double field = 2.0 * n + (woven && (y & 1) ? 1 : 0);
                        return std::clamp(Scene(x, y, field, width) + noise(random), 0, 255);
                    },
                    width));
            }
            const std::string name = std::to_string(width) + " grain " + std::to_string(grain);
            for (const auto &[prev, next] : {std::pair{0, 2}, std::pair{-1, 2}, std::pair{0, -1}}) {
                const AVFrame *before = prev < 0 ? nullptr : pictures[prev].get();
                const AVFrame *after = next < 0 ? nullptr : pictures[next].get();
                const auto direct = MeasureComb(before, pictures[1].get(), after);
                const auto copied
                    = MeasureComb(before, pictures[1].get(), after, SampleReading::Copied);
                ASSERT_TRUE(direct && copied) << name;
                EXPECT_GT(direct->moving, 0) << name;
                EXPECT_EQ(*direct, *copied) << name << " " << prev << " " << next;
            }
        }
    }
    // The most a row can add: white lines between black ones, between black pictures.
    const FramePtr black = Picture([](int, int) { return 0; }, 1198);
    const FramePtr lines = Picture([](int, int y) { return (y & 1) * 255; }, 1198);
    const auto direct = MeasureComb(black.get(), lines.get(), black.get());
    ASSERT_TRUE(direct);
    EXPECT_EQ(*direct, *MeasureComb(black.get(), lines.get(), black.get(), SampleReading::Copied));
}

TEST(Scanning, eachPictureLeavesMarkedOnePictureLateAndTheLastOnFlush)
{
    CombDetector detector;
    std::vector<int> marks;
    for (int n = 0; n < 4; ++n) {
        const FramePtr picture = n < 2 ? Progressive(n) : Woven(n, true);
        if (FramePtr judged = detector.Take(picture.get()))
            marks.push_back(judged->interlaced_frame);
    }
    if (FramePtr last = detector.Flush())
        marks.push_back(last->interlaced_frame);
    EXPECT_EQ(detector.Flush(), nullptr);
    // The picture beside a change of scanning may go either way; the others may not.
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[0], 0);
    EXPECT_EQ(marks[3], 1);
}

TEST(FilmPulldown, twoOrOneWovenPicturesInTheSamePlaceOfEveryFiveAreFilm)
{
    const auto pattern = [](const std::string &marks) {
        std::vector<bool> woven;
        for (char c : marks)
            woven.push_back(c == 'x');
        return woven;
    };
    // 3:2 from any phase, 2:3:3:2, and one picture off the pattern (a cut).
    EXPECT_TRUE(FilmCadence::IsPulldown(pattern("..xx...xx...xx...xx...xx.")));
    EXPECT_TRUE(FilmCadence::IsPulldown(pattern("x...xx...xx...xx...xx...x")));
    EXPECT_TRUE(FilmCadence::IsPulldown(pattern("..x....x....x....x....x..")));
    EXPECT_TRUE(FilmCadence::IsPulldown(pattern("..xx...xx...x....xx...xx.")));
    // Video: every picture woven, or none, or woven where the motion is.
    EXPECT_FALSE(FilmCadence::IsPulldown(pattern("xxxxxxxxxxxxxxxxxxxxxxxxx")));
    EXPECT_FALSE(FilmCadence::IsPulldown(pattern(".........................")));
    EXPECT_FALSE(FilmCadence::IsPulldown(pattern("....xxxxxxx.....xxxx.....")));
    // A still start tells nothing: too few woven pictures, or too few pictures.
    EXPECT_FALSE(FilmCadence::IsPulldown(pattern("...................xx...x")));
    EXPECT_FALSE(FilmCadence::IsPulldown(pattern("..xx...xx.")));
}
