// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"

#include <QDialog>

#include <array>

class QPushButton;
class QStackedWidget;

namespace quillet {

class COptionAudioDlg;
class COptionCropandPadDlg;
class COptionPage;
class COptionResizeDlg;
class COptionVideoDlg;
class CSkinTabCtrl;
class Prompter;
class Texts;

/**
 * The option sheet: the Audio, Video, Resize and Crop & Pad pages of one profile under a tab
 * strip, with OK, Cancel, the save button and the "Default" button. The sheet only edits: it is
 * loaded from a record, and after it was accepted the caller reads the pages back (StoreInto)
 * and looks at the result code to know whether to save.
 *
 * Leaving a page reads and checks it; a page that refuses its input keeps the tab. OK does the
 * same for the visible page, then lets every page read what it reads only on OK.
 */
class CExPropertySheet : public QDialog
{
    Q_OBJECT

public:
    /// The tab strip's colour (0x00BBGGRR: red 166, green 179, blue 218) and style flags.
    static constexpr quint32 kTabBackgroundRef = 0xDAB3A6;
    static constexpr quint32 kTabStyleFlags = 15;

    /// How the sheet was accepted.
    enum Result { kPlainOk = 0, kSaveAndApply = 1, kSaveAsAndApply = 2 };
    enum PageIndex { kAudioPage = 0, kVideoPage, kResizePage, kCropPadPage, kPageCount };

    /**
     * A sheet showing record, whose profile path and section name also say where "Default"
     * finds the profile's saved values. prompter shows the pages' refusals.
     */
    CExPropertySheet(const ProfileRecord &record, Prompter &prompter, const Texts &texts,
                     QWidget *parent = nullptr);

    /// 0 for plain OK (or no OK yet), 1 "Save and Apply", 2 "Save as and Apply".
    int ResultCode() const { return m_result_code; }
    /// Writes every page's fields into record (after the sheet was accepted).
    void StoreInto(ProfileRecord &record) const;

    int ActivePageIndex() const;
    /// Shows page index as a click on its tab does; false when the visible page refused to be
    /// left.
    bool SetActivePage(int index);

    /// A command of the save button's menu: sets the result code and presses OK.
    void ChooseSaveCommand(Result code);
    /// The "Default" button: every page goes back to the profile as its file holds it now.
    /// The edits of this opening are dropped and nothing is written. A profile whose section
    /// is gone from its file leaves the pages as they are.
    void RestoreDefaults();

    COptionAudioDlg *AudioPage() const { return m_audio; }
    COptionVideoDlg *VideoPage() const { return m_video; }
    COptionResizeDlg *ResizePage() const { return m_resize; }
    COptionCropandPadDlg *CropPadPage() const { return m_crop_pad; }
    CSkinTabCtrl *TabStrip() const { return m_tabs; }
    QPushButton *OkButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }
    QPushButton *SaveButton() const { return m_save; }
    QPushButton *DefaultButton() const { return m_default; }

public slots:
    void accept() override;
    void reject() override;

private:
    void CreatePages(const ProfileRecord &record);
    void CreateButtons();
    void LayOut();
    void RefreshTexts();
    void OnTabChanged(int index);
    void ShowSaveMenu();
    COptionPage *Page(int index) const { return m_pages[static_cast<std::size_t>(index)]; }

    Prompter &m_prompter;
    const Texts &m_texts;
    ProfileRecord m_opened; // what the sheet was loaded from
    int m_result_code = kPlainOk;

    CSkinTabCtrl *m_tabs;
    QStackedWidget *m_stack;
    COptionAudioDlg *m_audio;
    COptionVideoDlg *m_video;
    COptionResizeDlg *m_resize;
    COptionCropandPadDlg *m_crop_pad;
    std::array<COptionPage *, kPageCount> m_pages;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QPushButton *m_save;
    QPushButton *m_default;
};

} // namespace quillet
