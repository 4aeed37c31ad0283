// SPDX-License-Identifier: GPL-3.0-or-later
// Where an output's chapters fall: the source's, moved and cut by -ss and -t.

#include "Chapters.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace dolmar;

namespace {

Chapter Part(double start_s, double end_s, const std::string &title)
{
    return Chapter{start_s, end_s, {{"title", title}}};
}

} // namespace

TEST(OutputChapters, aCutMovesTheChaptersAndKeepsOnlyWhatItHolds)
{
    const std::vector<Chapter> source{Part(0, 10, "Opening"), Part(10, 25, "Middle"),
                                      Part(25, 40, "Ending")};
    struct Case
    {
        double start_s;
        std::optional<double> length_s;
        std::vector<std::tuple<double, double, std::string>> expected;
    };
    const std::vector<Case> cases{
        {0, std::nullopt, {{0, 10, "Opening"}, {10, 25, "Middle"}, {25, 40, "Ending"}}},
        // -ss 12: the opening is gone, the middle starts the output.
        {12, std::nullopt, {{0, 13, "Middle"}, {13, 28, "Ending"}}},
        // -ss 5 -t 10: the end of the opening and the start of the middle.
        {5, 10.0, {{0, 5, "Opening"}, {5, 10, "Middle"}}},
        // A cut on a chapter's edge leaves no chapter of no length.
        {10, 15.0, {{0, 15, "Middle"}}},
    };
    for (const Case &c : cases) {
        const std::vector<Chapter> kept = Chapters::Trimmed(source, c.start_s, c.length_s);
        ASSERT_EQ(kept.size(), c.expected.size()) << "-ss " << c.start_s;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_DOUBLE_EQ(kept[i].start_s, std::get<0>(c.expected[i]));
            EXPECT_DOUBLE_EQ(kept[i].end_s, std::get<1>(c.expected[i]));
            EXPECT_EQ(kept[i].tags.front().second, std::get<2>(c.expected[i]));
        }
    }
}

TEST(OutputChapters, aJoinedFileIsNamedByItsTitleElseItsFileName)
{
    EXPECT_EQ(Chapters::SegmentTitle("/media/holiday/day one.mp4", "The Beach"), "The Beach");
    EXPECT_EQ(Chapters::SegmentTitle("/media/holiday/day one.mp4", ""), "day one");
    EXPECT_EQ(Chapters::SegmentTitle("/media/clip.2024.mkv", ""), "clip.2024");
    EXPECT_EQ(Chapters::SegmentTitle("/media/README", ""), "README");
}
