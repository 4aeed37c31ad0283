// SPDX-License-Identifier: GPL-3.0-or-later
// The per-task report lines of quillet-cli: JSON for scripts, a summary for people.
#include "cli/TaskReport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quillet;
using namespace quillet::cli;

TEST(TaskReport, jsonStringsEscapeWhatJsonForbidsAndKeepEveryValidCharacter)
{
    EXPECT_EQ(JsonString("a \"quoted\" back\\slash"), R"("a \"quoted\" back\\slash")");
    EXPECT_EQ(JsonString("line\nnext\ttab\rcr\x01\x1f\x7f"),
              R"("line\nnext\ttab\rcr\u0001\u001f\u007f")");
    EXPECT_EQ(JsonString("Fête – 日本 😀"), "\"Fête – 日本 😀\"");
    // Stray bytes of a file name become U+FFFD one by one; what is valid around them stays.
    EXPECT_EQ(JsonString("a\xff"
                         "b\xc3"),
              "\"a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD\"");
    // Overlong forms, surrogates and truncated sequences are not valid UTF-8.
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonString("\xe6\x97"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(TaskReport, oneObjectPerTaskWithNullForWhatIsNotThere)
{
    TaskResult made{"/in/a b.avi", "/out/a b.mp4", TaskResult::Status::Made, "", 2.345};
    EXPECT_EQ(TaskJson(made),
              R"({"source":"/in/a b.avi","output":"/out/a b.mp4","status":"made",)"
              R"("reason":null,"seconds":2.35})");
    TaskResult failed{"/in/broken.avi", "", TaskResult::Status::Failed,
                      "Invalid data found when processing input", 0.1};
    EXPECT_EQ(TaskJson(failed),
              R"({"source":"/in/broken.avi","output":null,"status":"failed",)"
              R"("reason":"Invalid data found when processing input","seconds":0.10})");
    TaskResult post{"/in/c.avi", "/out/c.mp4", TaskResult::Status::PostProcessFailed,
                    "cannot start ./ferrule", 1};
    EXPECT_NE(TaskJson(post).find(R"("status":"post-processing failed")"), std::string::npos);
}

// A cut output says how much of its source it kept; a planned one its planned and real sizes.
TEST(TaskReport, cutAndPlannedOutputsAddTheirFigures)
{
    TaskResult cut{"/in/a.avi", "/out/a (cut).avi", TaskResult::Status::Failed,
                   "cut at 1.0 MB: 2.0 s of 12.0 s", 0.5};
    cut.cut = true;
    cut.kept_s = 2.04;
    cut.source_s = 12;
    EXPECT_EQ(TaskJson(cut),
              R"({"source":"/in/a.avi","output":"/out/a (cut).avi","status":"cut",)"
              R"("reason":"cut at 1.0 MB: 2.0 s of 12.0 s","seconds":0.50,)"
              R"("kept_seconds":2.04,"source_seconds":12.00})");
    TaskResult planned{"/in/b.avi", "/out/b.avi", TaskResult::Status::Made, "", 1};
    planned.planned_bytes = 3889724.4;
    planned.output_bytes = 3899620;
    EXPECT_NE(TaskJson(planned).find(R"("planned_bytes":3889724,"output_bytes":3899620})"),
              std::string::npos);
}

TEST(TaskReport, theSummaryHasALinePerTaskAndACount)
{
    const std::vector<TaskResult> results{
        {"/in/a.avi", "/out/a.mp4", TaskResult::Status::Made, "", 2.0},
        {"/in/b.avi", "", TaskResult::Status::Failed, "no video", 0.5},
        {"/in/c.avi", "", TaskResult::Status::Cancelled, "", 0.0}};
    const std::string text = SummaryText(results);
    EXPECT_NE(text.find("made"), std::string::npos);
    EXPECT_NE(text.find("/in/a.avi -> /out/a.mp4\n"), std::string::npos);
    EXPECT_NE(text.find("/in/b.avi: no video\n"), std::string::npos);
    EXPECT_NE(text.find("cancelled"), std::string::npos);
    EXPECT_TRUE(text.ends_with("1 of 3 made\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}
