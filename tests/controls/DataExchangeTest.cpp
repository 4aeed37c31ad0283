// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataExchange.h"

#include "core/Prompter.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quillet {
namespace {

struct RecordingPrompter : Prompter
{
    std::vector<std::string> told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

class DataExchangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_page.resize(200, 100);
        m_first.setParent(&m_page);
        m_second.setParent(&m_page);
        m_page.show();
    }

    QWidget m_page;
    QLineEdit m_first;
    QLineEdit m_second;
    RecordingPrompter m_prompter;
};

TEST_F(DataExchangeTest, refusesTheFirstBadFieldFocusesItAndSkipsTheRest)
{
    m_first.setText("12a");
    m_second.setText("7");
    int a = 1;
    int b = 2;
    DataExchange save(DataExchange::Direction::FromControls, m_prompter);
    save.Integer(&m_first, a);
    save.Integer(&m_second, b);
    EXPECT_TRUE(save.Failed());
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter an integer.");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2) << "fields after the refused one are not read";
    EXPECT_EQ(m_page.focusWidget(), &m_first);
    EXPECT_EQ(m_first.selectedText(), "12a");
}

TEST_F(DataExchangeTest, integerRangeIsCheckedWhenSavingOnly)
{
    int volume = 0;
    DataExchange load(DataExchange::Direction::ToControls, m_prompter);
    load.Integer(&m_first, volume, 100, 600);
    EXPECT_EQ(m_first.text(), "0");
    EXPECT_TRUE(m_prompter.told.empty());

    DataExchange save(DataExchange::Direction::FromControls, m_prompter);
    save.Integer(&m_first, volume, 100, 600);
    EXPECT_TRUE(save.Failed());
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter an integer between 100 and 600.");

    m_first.setText(" 600 ");
    DataExchange again(DataExchange::Direction::FromControls, m_prompter);
    again.Integer(&m_first, volume, 100, 600);
    EXPECT_FALSE(again.Failed());
    EXPECT_EQ(volume, 600);
}

TEST_F(DataExchangeTest, integersOutsideTheIntRangeOrWithoutDigitsAreRefused)
{
    int value = 0;
    for (const char *text :
         {"", " ", "-", "+", "1.5", "2147483648", "-2147483649", "0x10", "1 2"}) {
        EXPECT_FALSE(DataExchange::ParseInteger(text, value)) << text;
    }
    ASSERT_TRUE(DataExchange::ParseInteger("-2147483648", value));
    EXPECT_EQ(value, INT_MIN);
    ASSERT_TRUE(DataExchange::ParseInteger("+42", value));
    EXPECT_EQ(value, 42);
}

TEST_F(DataExchangeTest, numbersUseThePointAndRefuseWordsAndCommas)
{
    double value = 0;
    ASSERT_TRUE(DataExchange::ParseNumber("29.97", value));
    EXPECT_DOUBLE_EQ(value, 29.97);
    ASSERT_TRUE(DataExchange::ParseNumber(" 1e3\t", value));
    EXPECT_DOUBLE_EQ(value, 1000);
    for (const char *text : {"", "1,5", "inf", "nan", "0x1p3", "1e999", "12 kbit", "."})
        EXPECT_FALSE(DataExchange::ParseNumber(text, value)) << text;
}

TEST_F(DataExchangeTest, realsShowTheirSignificantDigitsAndRangeMessagesNameTheBounds)
{
    float rate = 29.97f;
    double shown = 29.97;
    DataExchange load(DataExchange::Direction::ToControls, m_prompter);
    load.Number(&m_first, rate);
    load.Number(&m_second, shown);
    EXPECT_EQ(m_first.text(), "29.97");
    EXPECT_EQ(m_second.text(), "29.97");

    m_first.setText("101");
    float quotiety = 3;
    DataExchange save(DataExchange::Direction::FromControls, m_prompter);
    save.Number(&m_first, quotiety, 0.0f, 100.0f);
    EXPECT_TRUE(save.Failed());
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter a number between 0 and 100.");

    m_first.setText("1e39");
    DataExchange too_big(DataExchange::Direction::FromControls, m_prompter);
    too_big.Number(&m_first, quotiety);
    EXPECT_TRUE(too_big.Failed()) << "a value no float can hold is not a number here";
}

TEST_F(DataExchangeTest, radioGroupsLoadAndSaveAnIndexAndMinusOneLeavesNoneChosen)
{
    QRadioButton original("Original", &m_page);
    QRadioButton custom("Custom", &m_page);
    QButtonGroup group;
    group.addButton(&original);
    group.addButton(&custom);
    const QList<QAbstractButton *> radios{&original, &custom};

    int index = 1;
    DataExchange(DataExchange::Direction::ToControls, m_prompter).Radio(radios, index);
    EXPECT_FALSE(original.isChecked());
    EXPECT_TRUE(custom.isChecked());

    index = -1;
    DataExchange(DataExchange::Direction::ToControls, m_prompter).Radio(radios, index);
    EXPECT_FALSE(original.isChecked());
    EXPECT_FALSE(custom.isChecked());
    EXPECT_TRUE(group.exclusive()) << "the group is exclusive again afterwards";

    original.setChecked(true);
    DataExchange(DataExchange::Direction::FromControls, m_prompter).Radio(radios, index);
    EXPECT_EQ(index, 0);
}

TEST_F(DataExchangeTest, textLongerThanItsLimitIsRefused)
{
    m_first.setText("abcdef");
    std::string name = "old";
    DataExchange save(DataExchange::Direction::FromControls, m_prompter);
    save.Text(&m_first, name, 5);
    EXPECT_TRUE(save.Failed());
    EXPECT_EQ(name, "old");
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter no more than 5 characters.");
}

} // namespace
} // namespace quillet
