// SPDX-License-Identifier: GPL-3.0-or-later
// The option sheet and its four pages, driven as a user drives them.
#include "profiles/sheet/CExPropertySheet.h"

#include "controls/CColorButton.h"
#include "controls/CSkinTabCtrl.h"
#include "profiles/sheet/COptionAudioDlg.h"
#include "profiles/sheet/COptionCropandPadDlg.h"
#include "profiles/sheet/COptionResizeDlg.h"
#include "profiles/sheet/COptionVideoDlg.h"
#include "texts/Texts.h"

#include "SheetTestSupport.h"
#include "TempDir.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace quillet;
using namespace quillet::test;

namespace {

constexpr const char *kSection = "iPad Video H.264 (1024x768)";

class OptionPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(SourceIni("ipadh264.ini"), m_dir.path() / "ipadh264.ini");
        m_record = LoadProfile(m_dir.path() / "ipadh264.ini", kSection);
        m_record.source_width = 1280;
        m_record.source_height = 720;
    }

    CExPropertySheet &Open()
    {
        m_sheet = std::make_unique<CExPropertySheet>(m_record, m_prompter, m_texts);
        ShowActive(m_sheet.get());
        return *m_sheet;
    }

    /// Presses OK; true when the sheet closed accepted.
    bool PressOk()
    {
        Click(m_sheet->OkButton());
        return m_sheet->result() == QDialog::Accepted && !m_sheet->isVisible();
    }

    ProfileRecord Stored() const
    {
        ProfileRecord out = m_record;
        m_sheet->StoreInto(out);
        return out;
    }

    template<class W> W *Control(const char *name) { return Child<W>(m_sheet.get(), name); }

    TempDir m_dir;
    ProfileRecord m_record;
    RecordingPrompter m_prompter;
    BuiltInTexts m_texts;
    std::unique_ptr<CExPropertySheet> m_sheet;
};

} // namespace

TEST_F(OptionPages, sheetShowsItsCaptionTabsAndButtons)
{
    Open();
    EXPECT_EQ(m_sheet->windowTitle(), QStringLiteral("iPad Video H.264 (1024x768) - Options"));
    CSkinTabCtrl *tabs = m_sheet->TabStrip();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->DisplayedText(0), "Audio");
    EXPECT_EQ(tabs->DisplayedText(3), "Crop & Pad");
    EXPECT_TRUE(tabs->IsOwnerDrawn());
    EXPECT_EQ(CSkinTabCtrl::TabStyleFlags(), 15u);
    EXPECT_EQ(tabs->BackgroundColor(), QColor(166, 179, 218));
    EXPECT_EQ(m_sheet->ActivePageIndex(), CExPropertySheet::kAudioPage);
    // "Save&&Apply" shows a single ampersand.
    EXPECT_EQ(m_sheet->SaveButton()->text(), "Save&&Apply");
    EXPECT_EQ(m_sheet->DefaultButton()->text(), "Default");
    EXPECT_TRUE(m_sheet->DefaultButton()->isEnabled());
    EXPECT_EQ(m_sheet->font().pixelSize(), 13);
    EXPECT_EQ(m_sheet->AudioPage()->font().pixelSize(), 13);
}

TEST_F(OptionPages, volumeOutOfRangeIsRefusedOnOkEvenWhenNotAdjusted)
{
    m_record.nAudioVolume = 0; // a profile without the key
    m_record.bAudioCustomVolume = 0;
    Open();
    auto *volume = Control<QLineEdit>("volume");
    auto *adjust = Control<QCheckBox>("adjustVolume");
    EXPECT_EQ(volume->text(), "0");

    EXPECT_FALSE(PressOk());
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter an integer between 100 and 600.");
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), volume);
    // The focus the refusal gives the edit is not the user's: the box stays as it was.
    EXPECT_FALSE(adjust->isChecked());

    TypeInto(volume, "256");
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().nAudioVolume, 256);
    EXPECT_EQ(Stored().bAudioCustomVolume, 0);
}

TEST_F(OptionPages, volumeButtonsStepWithinTheirRange)
{
    m_record.nAudioVolume = 0;
    Open();
    auto *volume = Control<QLineEdit>("volume");
    auto *spin = Control<QWidget>("volumeSpin");
    auto *up = spin->findChildren<QAbstractButton *>().value(0);
    ASSERT_NE(up, nullptr);
    Click(up);
    EXPECT_EQ(volume->text(), "100") << "an out-of-range value starts at the range";
    Click(up);
    EXPECT_EQ(volume->text(), "101");
    volume->setText("600");
    Click(up);
    EXPECT_EQ(volume->text(), "600");
}

TEST_F(OptionPages, codecListsSaveTheirOwnSpelling)
{
    m_record.cAudioCodec = "MP3";
    m_record.cVideoCodec = "H264";
    Open();
    EXPECT_EQ(Control<QComboBox>("audioCodec")->currentText(), "mp3");
    // The Video page is never visited, yet its list's spelling is what is saved.
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().cAudioCodec.view(), "mp3");
    EXPECT_EQ(Stored().cVideoCodec.view(), "h264");

    m_record.cAudioCodec = "adpcm";
    Open();
    EXPECT_EQ(Control<QComboBox>("audioCodec")->currentText(), "auto");
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().cAudioCodec.view(), "auto");
}

TEST_F(OptionPages, videoDefaultBitRateFollowsTheResizeChoice)
{
    m_record.nVideoBitRateLevel = 3;
    m_record.nVideoBitRateLevel2 = 0;
    m_record.nVideoBitRateLevel3 = 0;
    m_record.nVideoRiszeOption = 6;
    m_record.nVideoCustomSizeX = 0;
    m_record.nVideoCustomSizeY = 0;
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    auto *shown = Control<QLineEdit>("defaultBitRate");
    EXPECT_EQ(shown->text(), "900");

    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    Click(Control<QRadioButton>("size10")); // 1280 x 768
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_EQ(shown->text(), "2880");

    // "Custom size" with nothing entered is 0 x 0.
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    Click(Control<QRadioButton>("size9"));
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_EQ(shown->text(), "0");

    // Typing a quotiety shows its default at once.
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    Click(Control<QRadioButton>("size6"));
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    Click(Control<QCheckBox>("advanced"));
    TypeInto(Control<QLineEdit>("quotiety1"), "4");
    EXPECT_EQ(shown->text(), "1200");
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().estimated_video_bit_rate, 1200);
    EXPECT_FLOAT_EQ(Stored().nVideoBitRateLevel, 4.0f);
}

TEST_F(OptionPages, aConstantQualityProfileShowsItsQualityNotZeroKbits)
{
    std::filesystem::copy_file(SourceIni("web.ini"), m_dir.path() / "web.ini");
    m_record = LoadProfile(m_dir.path() / "web.ini", "Web WebM VP9 Full HD (1920x1080)");
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_FALSE(Control<QLineEdit>("defaultBitRate")->isVisible());
    bool shown = false;
    for (const QLabel *label : m_sheet->findChildren<QLabel *>())
        shown = shown || (label->isVisible() && label->text() == "constant quality (CRF 31)");
    EXPECT_TRUE(shown);

    // A profile with a rate shows it as before.
    m_record = LoadProfile(m_dir.path() / "ipadh264.ini", kSection);
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_TRUE(Control<QLineEdit>("defaultBitRate")->isVisible());
}

TEST_F(OptionPages, clickingIntoAValueChoosesItsCustomSetting)
{
    m_record.nVideoRiszeOption = 6;
    m_record.bAudioCustomSampleRate = 0;
    m_record.bAudioCustomBitRate = 0;
    m_record.bAudioCustomVolume = 0;
    m_record.bVideoCustomFrameRate = 0;
    m_record.bVideoCustomBitRate = 0;
    Open();
    QTest::mouseClick(Control<QLineEdit>("sampleRate"), Qt::LeftButton);
    EXPECT_TRUE(Control<QRadioButton>("sampleRateCustom")->isChecked());
    QTest::mouseClick(Control<QLineEdit>("audioBitRate"), Qt::LeftButton);
    EXPECT_TRUE(Control<QRadioButton>("audioBitRateCustom")->isChecked());
    QTest::mouseClick(Control<QLineEdit>("volume"), Qt::LeftButton);
    EXPECT_TRUE(Control<QCheckBox>("adjustVolume")->isChecked());

    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    QTest::mouseClick(Control<QLineEdit>("frameRate"), Qt::LeftButton);
    EXPECT_TRUE(Control<QRadioButton>("frameRateCustom")->isChecked());
    QTest::mouseClick(Control<QLineEdit>("videoBitRate"), Qt::LeftButton);
    EXPECT_TRUE(Control<QRadioButton>("videoBitRateCustom")->isChecked());

    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    EXPECT_TRUE(Control<QRadioButton>("size6")->isChecked());
    QTest::mouseClick(Control<QLineEdit>("customWidth"), Qt::LeftButton);
    EXPECT_TRUE(Control<QRadioButton>("size9")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("size6")->isChecked());
    EXPECT_TRUE(PressOk());
    const ProfileRecord out = Stored();
    EXPECT_EQ(out.nVideoRiszeOption, 9);
    EXPECT_EQ(out.bAudioCustomSampleRate, 1);
    EXPECT_EQ(out.bVideoCustomFrameRate, 1);
}

TEST_F(OptionPages, sizeRadiosKeepTheirStoredOrderWhereverTheyAreDrawn)
{
    m_record.nVideoRiszeOption = 11;
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    auto *full_hd = Control<QRadioButton>("size11");
    EXPECT_TRUE(full_hd->isChecked());
    EXPECT_EQ(full_hd->text(), "1920 x 1080");
    // 10 and 11 stand in the right column below "720 x 576"; 9 on the bottom row.
    auto *pal = Control<QRadioButton>("size8");
    EXPECT_EQ(Control<QRadioButton>("size10")->x(), pal->x());
    EXPECT_GT(Control<QRadioButton>("size10")->y(), pal->y());
    EXPECT_GT(Control<QRadioButton>("size9")->y(), full_hd->y());
    Click(Control<QRadioButton>("size3"));
    Click(Control<QRadioButton>("aspect2"));
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().nVideoRiszeOption, 3);
    EXPECT_EQ(Stored().nAspect, 2);
}

TEST_F(OptionPages, disableBoxesGreyEveryOtherControl)
{
    m_record.bDisableVideo = 1;
    Open();
    auto *disable_audio = Control<QCheckBox>("disableAudio");
    auto *codec = Control<QComboBox>("audioCodec");
    auto *volume = Control<QLineEdit>("volume");
    EXPECT_TRUE(codec->isEnabled());
    Click(disable_audio);
    EXPECT_TRUE(disable_audio->isChecked());
    EXPECT_FALSE(codec->isEnabled());
    EXPECT_FALSE(volume->isEnabled());
    EXPECT_FALSE(Control<QWidget>("volumeSpin")->isEnabled());
    EXPECT_TRUE(disable_audio->isEnabled());
    Click(disable_audio);
    EXPECT_TRUE(volume->isEnabled());

    // A profile without video opens with the Video page greyed.
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_FALSE(Control<QComboBox>("videoCodec")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>("advanced")->isEnabled());
    EXPECT_TRUE(Control<QCheckBox>("disableVideo")->isEnabled());
    Click(Control<QCheckBox>("disableVideo"));
    EXPECT_TRUE(Control<QComboBox>("videoCodec")->isEnabled());
}

TEST_F(OptionPages, leavingAPageWithBadInputKeepsItsTab)
{
    Open();
    TypeInto(Control<QLineEdit>("sampleRate"), "44k");
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter an integer.");
    EXPECT_EQ(m_sheet->ActivePageIndex(), CExPropertySheet::kAudioPage);
    EXPECT_EQ(m_sheet->TabStrip()->currentIndex(), CExPropertySheet::kAudioPage);
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>("sampleRate"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(m_sheet->ActivePageIndex(), CExPropertySheet::kAudioPage) << "the keyboard too";

    TypeInto(Control<QLineEdit>("sampleRate"), "48000");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(m_sheet->ActivePageIndex(), CExPropertySheet::kVideoPage);
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().nAudioCustomSampleRate, 48000);
}

TEST_F(OptionPages, clearingEnablePadGreysThePadControlsAndKeepsTheValues)
{
    m_record.bVideoEnablePad = 1;
    m_record.nVideoPadLeft = 10;
    m_record.nVideoPadRight = 12;
    m_record.nVideoPadTop = 14;
    m_record.nVideoPadBottom = 16;
    m_record.bVideoEnableCrop = 0;
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kCropPadPage);
    const char *pad_controls[]
        = {"padLeft", "padRight", "padTop", "padBottom", "padColorText", "padColorButton"};
    for (const char *name : pad_controls)
        EXPECT_TRUE(Control<QWidget>(name)->isEnabled()) << name;
    EXPECT_FALSE(Control<QLineEdit>("cropLeft")->isEnabled());

    Click(Control<QCheckBox>("enablePad"));
    for (const char *name : pad_controls)
        EXPECT_FALSE(Control<QWidget>(name)->isEnabled()) << name;
    Click(Control<QCheckBox>("enableCrop"));
    EXPECT_TRUE(Control<QLineEdit>("cropBottom")->isEnabled());

    EXPECT_TRUE(PressOk());
    const ProfileRecord out = Stored();
    EXPECT_EQ(out.bVideoEnablePad, 0);
    EXPECT_EQ(out.nVideoPadLeft, 10);
    EXPECT_EQ(out.nVideoPadRight, 12);
    EXPECT_EQ(out.nVideoPadTop, 14);
    EXPECT_EQ(out.nVideoPadBottom, 16);
    EXPECT_EQ(out.bVideoEnableCrop, 1);
}

TEST_F(OptionPages, padColourShowsOnTheButtonAndAsText)
{
    m_record.bVideoEnablePad = 1;
    m_record.nVideoPadColor = 0xFF0000;
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kCropPadPage);
    auto *button = Control<CColorButton>("padColorButton");
    EXPECT_EQ(Control<QLineEdit>("padColorText")->text(), "0xFF0000");
    EXPECT_EQ(button->Color(CColorButton::BackgroundNormal), QColor(255, 0, 0));
    EXPECT_EQ(button->Color(CColorButton::BackgroundActive), QColor(255, 0, 0));
    EXPECT_EQ(button->Color(CColorButton::BackgroundFocus), QColor(255, 0, 0));
    const QImage face = button->grab().toImage();
    EXPECT_EQ(QColor(face.pixel(4, face.height() / 2)), QColor(255, 0, 0));

    // The colour dialog opens on the current colour; OK takes the chosen one.
    QColor offered;
    UiScript script;
    script.Then<QColorDialog>([&](QColorDialog *dialog) {
        offered = dialog->currentColor();
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog->accept();
    });
    Click(button);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(offered, QColor(255, 0, 0));
    EXPECT_EQ(Control<QLineEdit>("padColorText")->text(), "0x123456");
    EXPECT_EQ(button->Color(CColorButton::BackgroundNormal), QColor(0x12, 0x34, 0x56));

    UiScript cancel;
    cancel.Then<QColorDialog>([](QColorDialog *dialog) {
        dialog->setCurrentColor(Qt::green);
        dialog->reject();
    });
    Click(button);
    EXPECT_EQ(Control<QLineEdit>("padColorText")->text(), "0x123456");
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().nVideoPadColor, 0x123456);
}

TEST_F(OptionPages, quotietiesLoadAndSaveUnchangedWithAdvancedClear)
{
    // Values as a hand-edited file may hold them: six decimals, more than six digits.
    m_record.nVideoBitRateLevel = 12.345678f;
    m_record.nVideoBitRateLevel2 = 0.5f;
    m_record.nVideoBitRateLevel3 = 2.123456f;
    m_record.nVideoCustomFrameRate = 29.97f;
    m_record.nAudioCustomBitRate = 128.0f;
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    auto *advanced = Control<QCheckBox>("advanced");
    EXPECT_FALSE(advanced->isChecked());
    EXPECT_FALSE(Control<QLineEdit>("quotiety1")->isVisible());
    EXPECT_EQ(Control<QLineEdit>("frameRate")->text(), "29.97");
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_TRUE(PressOk());
    const ProfileRecord out = Stored();
    EXPECT_EQ(out.nVideoBitRateLevel, 12.345678f);
    EXPECT_EQ(out.nVideoBitRateLevel2, 0.5f);
    EXPECT_EQ(out.nVideoBitRateLevel3, 2.123456f);
    EXPECT_EQ(out.nVideoCustomFrameRate, 29.97f);

    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    Click(Control<QCheckBox>("advanced"));
    EXPECT_TRUE(Control<QLineEdit>("quotiety3")->isVisible());
    EXPECT_EQ(Control<QLineEdit>("quotiety3")->text(), "2.12346");
}

TEST_F(OptionPages, aHiddenQuotietyOutOfRangeIsShownWhenRefused)
{
    m_record.nVideoBitRateLevel2 = 150;
    Open();
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_FALSE(PressOk());
    ASSERT_EQ(m_prompter.told.size(), 1u);
    EXPECT_EQ(m_prompter.told[0], "Please enter a number between 0 and 100.");
    EXPECT_TRUE(Control<QCheckBox>("advanced")->isChecked());
    EXPECT_TRUE(Control<QLineEdit>("quotiety2")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>("quotiety2"));
}

TEST_F(OptionPages, saveMenuSetsTheResultCodeAndPressesOk)
{
    Open();
    QStringList offered;
    UiScript script;
    script.Then<QMenu>([&](QMenu *menu) {
        for (QAction *action : menu->actions())
            offered << action->text();
        ChooseMenuItem(menu, 1);
    });
    Click(m_sheet->SaveButton());
    EXPECT_EQ(offered, (QStringList{"Save and Apply", "Save as and Apply"}));
    EXPECT_EQ(m_sheet->result(), QDialog::Accepted);
    EXPECT_EQ(m_sheet->ResultCode(), CExPropertySheet::kSaveAsAndApply);

    // A save the page refuses leaves no save behind: Cancel afterwards cancels.
    m_record.nAudioVolume = 0;
    Open();
    UiScript refused;
    refused.Then<QMenu>([](QMenu *menu) { ChooseMenuItem(menu, 0); });
    Click(m_sheet->SaveButton());
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->ResultCode(), CExPropertySheet::kPlainOk);
    Click(m_sheet->CancelButton());
    EXPECT_EQ(m_sheet->result(), QDialog::Rejected);
    EXPECT_EQ(m_sheet->ResultCode(), CExPropertySheet::kPlainOk);
}

TEST_F(OptionPages, defaultPutsEveryPageBackToTheSavedProfile)
{
    const auto file = m_dir.path() / "ipadh264.ini";
    const std::string before = ReadFile(file);
    Open();
    TypeInto(Control<QLineEdit>("audioBitRate"), "320");
    Click(Control<QCheckBox>("disableAudio"));
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kResizePage);
    Click(Control<QRadioButton>("size5"));
    ClickTab(m_sheet->TabStrip(), CExPropertySheet::kVideoPage);
    EXPECT_EQ(Control<QLineEdit>("defaultBitRate")->text(), "150"); // 2 x 320 x 240

    Click(m_sheet->DefaultButton());
    EXPECT_EQ(m_sheet->ActivePageIndex(), CExPropertySheet::kVideoPage);
    EXPECT_EQ(Control<QLineEdit>("defaultBitRate")->text(), "1536"); // 2 x 1024 x 768
    EXPECT_TRUE(Control<QRadioButton>("size9")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("disableAudio")->isChecked());
    EXPECT_TRUE(Control<QComboBox>("audioCodec")->isEnabled());
    EXPECT_EQ(Control<QLineEdit>("audioBitRate")->text(), "128");
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(ReadFile(file), before) << "Default writes nothing";
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(Stored().nVideoRiszeOption, 9);
    EXPECT_EQ(Stored().nAudioCustomBitRate, 128.0f);

    // The file is read as it is now, not as it was when the sheet opened.
    Open();
    std::string changed = before;
    changed.replace(changed.find("nAudioCustomBitRate=128.000000"), 30,
                    "nAudioCustomBitRate=96.000000");
    WriteFile(file, changed);
    Click(m_sheet->DefaultButton());
    EXPECT_EQ(Control<QLineEdit>("audioBitRate")->text(), "96");

    // With its section gone there is nothing to go back to: the pages stay as they are.
    m_record.section_name = "Gone";
    Open();
    TypeInto(Control<QLineEdit>("audioBitRate"), "200");
    Click(m_sheet->DefaultButton());
    EXPECT_EQ(Control<QLineEdit>("audioBitRate")->text(), "200");
}
