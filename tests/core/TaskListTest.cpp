// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TaskList.h"

#include "TaskFixtures.h"

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::MakeProbedTask;

namespace {

std::vector<std::string> Order(const TaskList &list)
{
    std::vector<std::string> names;
    for (const auto &t : list)
        names.push_back(t->source_path);
    return names;
}

} // namespace

TEST(TaskList, movesBySuccessiveSwapsAndRejectsBadIndexes)
{
    TaskList list;
    for (const char *name : {"a", "b", "c", "d"}) {
        int index = list.Add(MakeProbedTask(name, ""));
        EXPECT_EQ(index, list.Count() - 1);
    }
    EXPECT_EQ(list.Move(0, 2), 0);
    EXPECT_EQ(Order(list), (std::vector<std::string>{"b", "c", "a", "d"}));
    EXPECT_EQ(list.Move(3, 0), 0);
    EXPECT_EQ(Order(list), (std::vector<std::string>{"d", "b", "c", "a"}));
    EXPECT_EQ(list.Move(0, 4), -1);
    EXPECT_EQ(list.Move(-1, 0), -1);
    EXPECT_EQ(Order(list), (std::vector<std::string>{"d", "b", "c", "a"}));

    EXPECT_EQ(list.Remove(4), -1);
    EXPECT_EQ(list.Remove(1), 0);
    EXPECT_EQ(Order(list), (std::vector<std::string>{"d", "c", "a"}));
    EXPECT_EQ(list.Get(3), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TaskList, findsTheStreamIndexOfEachAudioTrack)
{
    auto task = MakeProbedTask("a.mkv", "", 2);
    EXPECT_EQ(task->AudioStreamIndex(0), 1);
    EXPECT_EQ(task->AudioStreamIndex(1), 2);
    EXPECT_EQ(task->AudioStreamIndex(2), -1);

    Task unprobed;
    EXPECT_TRUE(unprobed.streams.NeverProbed());
    EXPECT_EQ(unprobed.AudioStreamIndex(0), -1);
    EXPECT_EQ(unprobed.StreamCount(), 0);
}
