// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ExtensionList.h"

#include <gtest/gtest.h>

using namespace quillet;

// An extension is taken when it is a whole entry of the list: looked up as a substring, ".a"
// was found inside ".avi", and a folder of libraries and notes became failing tasks.
TEST(ExtensionList, takesOnlyWholeEntriesIgnoringCase)
{
    constexpr std::string_view kList = ".ts.m2ts.avi.mp4.3gp2";
    struct Case
    {
        std::string_view extension;
        bool taken;
    };
    const Case cases[] = {
        {".avi", true}, {"AVI", true}, {".Mp4", true},   {".ts", true},      {".3gp2", true},
        {".a", false},  {".t", false}, {".vi", false},   {".m2", false},     {".3gp", false},
        {".", false},   {"", false},   {".avi.", false}, {"ts.m2ts", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ExtensionInList(kList, c.extension), c.taken) << c.extension;
    EXPECT_EQ(ExtensionPatterns(kList), "*.ts; *.m2ts; *.avi; *.mp4; *.3gp2");
}
