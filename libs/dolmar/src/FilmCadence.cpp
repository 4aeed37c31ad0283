// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilmCadence.h"

#include "CombDetector.h"
#include "LeadingPictures.h"

namespace dolmar {

namespace {

constexpr std::size_t kCycle = 5;
// At least this many woven pictures, and no more than this share of the pictures off the
// pattern, for a cadence to count.
constexpr int kMinWoven = 4;
constexpr double kMaxOffPattern = 0.1;

// Pulldown weaves at most two pictures of five; this many stretches of five with three or more
// woven is video, whatever follows.
constexpr int kVideoStretches = 3;
// This many pictures without a woven one: progressive, or too still to tell.
constexpr std::size_t kNothingWoven = 20;

/// True once the pictures so far settle the question: video woven throughout, or nothing woven.
bool Settled(const std::vector<bool> &woven)
{
    int stretches = 0;
    int in_stretch = 0;
    bool any = false;
    for (std::size_t i = 0; i < woven.size(); ++i) {
        in_stretch += woven[i] ? 1 : 0;
        any = any || woven[i];
        if (i >= kCycle)
            in_stretch -= woven[i - kCycle] ? 1 : 0;
        if (i + 1 >= kCycle && in_stretch >= 3)
            ++stretches;
    }
    return stretches >= kVideoStretches || (!any && woven.size() >= kNothingWoven);
}

} // namespace

bool FilmCadence::IsPulldown(const std::vector<bool> &woven)
{
    int count = 0;
    for (bool w : woven)
        count += w ? 1 : 0;
    if (count < kMinWoven || woven.size() < 3 * kCycle)
        return false;
    // 3:2 weaves two adjacent pictures of five, 2:3:3:2 one.
    for (std::size_t first = 0; first < kCycle; ++first) {
        for (int width = 1; width <= 2; ++width) {
            int off = 0;
            for (std::size_t i = 0; i < woven.size(); ++i) {
                const std::size_t place = i % kCycle;
                const bool expected
                    = place == first || (width == 2 && place == (first + 1) % kCycle);
                off += expected != woven[i] ? 1 : 0;
            }
            if (off <= kMaxOffPattern * static_cast<double>(woven.size()))
                return true;
        }
    }
    return false;
}

std::optional<bool> FilmCadence::Detect(const std::string &path, const std::string &format,
                                        int stream_index, const AVIOInterruptCB &interrupt)
{
    CombDetector detector;
    std::vector<bool> woven;
    int top_first = 0;
    auto note = [&](const FramePtr &judged) {
        if (!judged)
            return;
        woven.push_back(judged->interlaced_frame != 0);
        if (judged->interlaced_frame)
            top_first += judged->top_field_first ? 1 : -1;
    };
    LeadingPictures::Decode(
        path, format, stream_index, kPictures,
        [&](const AVFrame *frame) {
            note(detector.Take(frame));
            // Video woven throughout needs no eight cycles to be told from film.
            return !Settled(woven);
        },
        interrupt);
    note(detector.Flush());
    if (!IsPulldown(woven))
        return std::nullopt;
    return top_first >= 0;
}

} // namespace dolmar
