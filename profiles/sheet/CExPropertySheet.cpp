// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/CExPropertySheet.h"

#include "VeneerBinding.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/ColorRef.h"
#include "controls/DialogUnits.h"
#include "core/ProfileFile.h"
#include "profiles/ShippedProfiles.h"
#include "profiles/sheet/COptionAudioDlg.h"
#include "profiles/sheet/COptionCropandPadDlg.h"
#include "profiles/sheet/COptionResizeDlg.h"
#include "profiles/sheet/COptionVideoDlg.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "texts/LanguageKeys.h"
#include "texts/Texts.h"
#include "texts/ui/UiText.h"

#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>

#include <algorithm>

namespace quillet {

namespace {

// Sheet geometry in dialog units of the page font: margins, and the buttons under the pages.
constexpr int kMarginDu = 7;
constexpr int kButtonWidthDu = 50;
constexpr int kButtonHeightDu = 14;
constexpr int kButtonGapDu = 4;

} // namespace

CExPropertySheet::CExPropertySheet(const ProfileRecord &record, Prompter &prompter,
                                   const Texts &texts, QWidget *parent)
    : QDialog(parent)
    , m_prompter(prompter)
    , m_texts(texts)
    , m_opened(record)
{
    setFont(COptionPage::PageFont());
    setWindowTitle(QString::fromStdString(
        FormatText(LookupKeyFormat(texts, CataloguedKey("OPTION_DLG", "strTitleInfo")),
                   record.section_name.c_str())));

    // The style flags are read by a strip when it is made, so they are set first.
    CSkinTabCtrl::SetTabStyleFlags(true, kTabStyleFlags);
    m_tabs = new CSkinTabCtrl(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->SetBackgroundColor(ColorFromRef(kTabBackgroundRef));
    m_tabs->setFont(COptionPage::PageFont());
    m_tabs->setExpanding(false);
    // The pages' stack draws the frame around them itself. A plain frame holding the pages
    // would take the skin's frame colour, and its palette would pass that colour on to every
    // check box, radio button and group title of the pages, which then looked disabled.
    m_stack = new QStackedWidget(this);
    m_stack->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);

    CreatePages(record);
    CreateButtons();
    RefreshTexts();
    LayOut();

    connect(m_tabs, &QTabBar::currentChanged, this, &CExPropertySheet::OnTabChanged);
    // Ctrl+Tab and Ctrl+Shift+Tab step through the pages, as in any tabbed sheet.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(next, &QShortcut::activated, this,
            [this] { SetActivePage((ActivePageIndex() + 1) % kPageCount); });
    auto *previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(previous, &QShortcut::activated, this,
            [this] { SetActivePage((ActivePageIndex() + kPageCount - 1) % kPageCount); });

    // The skin gives the sheet the program's look, as every dialog of the program.
    TheVeneer().AddFilterHook(this);
}

void CExPropertySheet::CreatePages(const ProfileRecord &record)
{
    m_audio = new COptionAudioDlg(m_prompter, m_texts);
    m_video = new COptionVideoDlg(m_prompter, m_texts);
    m_resize = new COptionResizeDlg(m_prompter, m_texts);
    m_crop_pad = new COptionCropandPadDlg(m_prompter, m_texts);
    m_pages = {m_audio, m_video, m_resize, m_crop_pad};
    // The Video page's default bit rate follows the size the Resize page last stored.
    m_video->SetSizeSource([this] { return m_resize->StoredOutputSize(); });
    for (COptionPage *page : m_pages) {
        m_stack->addWidget(page);
        m_tabs->addTab(QString());
        page->ShowRecord(record);
    }
    m_video->RecomputeDefaultBitRate();
    m_stack->setCurrentIndex(kAudioPage);
    m_tabs->setCurrentIndex(kAudioPage);
}

void CExPropertySheet::CreateButtons()
{
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    // The save button (999) and the "Default" button (1000) stand where a property sheet has
    // its Apply and Help buttons.
    m_save = new QPushButton(this);
    m_save->setObjectName(QStringLiteral("save"));
    m_default = new QPushButton(this);
    m_default->setObjectName(QStringLiteral("default"));
    for (QPushButton *button : {m_cancel, m_save, m_default})
        button->setAutoDefault(false);

    connect(m_ok, &QPushButton::clicked, this, &CExPropertySheet::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CExPropertySheet::reject);
    connect(m_save, &QPushButton::clicked, this, &CExPropertySheet::ShowSaveMenu);
    connect(m_default, &QPushButton::clicked, this, &CExPropertySheet::RestoreDefaults);
}

void CExPropertySheet::RefreshTexts()
{
    m_tabs->setTabText(kAudioPage,
                       UiText(m_texts, CataloguedKey("OPTION_DLG", "tabAudioPageInfo")));
    m_tabs->setTabText(kVideoPage,
                       UiText(m_texts, CataloguedKey("OPTION_DLG", "tabVideoPageInfo")));
    m_tabs->setTabText(kResizePage,
                       UiText(m_texts, CataloguedKey("OPTION_DLG", "tabResizePageInfo")));
    m_tabs->setTabText(kCropPadPage,
                       UiText(m_texts, CataloguedKey("OPTION_DLG", "tabCropPadPageInfo")));
    m_ok->setText(UiText(m_texts, CataloguedKey("OPTION_DLG", "btnOKInfo")));
    m_cancel->setText(UiText(m_texts, CataloguedKey("OPTION_DLG", "btnCancelInfo")));
    m_save->setText(UiText(m_texts, CataloguedKey("OPTION_DLG", "btnSaveApplyInfo")));
    m_default->setText(UiText(m_texts, CataloguedKey("OPTION_DLG", "btnDefaultInfo")));
}

void CExPropertySheet::LayOut()
{
    const DialogUnits units(COptionPage::PageFont());
    const int margin_x = units.X(kMarginDu);
    const int margin_y = units.Y(kMarginDu);
    const QSize page = m_audio->size();
    const int frame = m_stack->frameWidth();

    const int tabs_height = m_tabs->sizeHint().height();
    m_tabs->setGeometry(margin_x, margin_y, page.width() + 2 * frame, tabs_height);
    m_stack->setGeometry(margin_x, margin_y + tabs_height, page.width() + 2 * frame,
                         page.height() + 2 * frame);

    // One width for the four buttons: the template's, or the widest caption's.
    int width = units.X(kButtonWidthDu);
    for (QPushButton *button : {m_ok, m_cancel, m_save, m_default})
        width = std::max(width, button->sizeHint().width());
    const int height = std::max(units.Y(kButtonHeightDu), m_ok->sizeHint().height());
    const int gap = units.X(kButtonGapDu);
    const int top = m_stack->geometry().bottom() + 1 + margin_y;
    int left = m_stack->geometry().right() + 1 - 4 * width - 3 * gap;
    for (QPushButton *button : {m_ok, m_cancel, m_save, m_default}) {
        button->setGeometry(left, top, width, height);
        left += width + gap;
    }
    setFixedSize(m_stack->geometry().right() + 1 + margin_x, top + height + margin_y);
}

int CExPropertySheet::ActivePageIndex() const
{
    return m_stack->currentIndex();
}

bool CExPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= kPageCount)
        return false;
    m_tabs->setCurrentIndex(index);
    return ActivePageIndex() == index;
}

void CExPropertySheet::OnTabChanged(int index)
{
    const int old = m_stack->currentIndex();
    if (index == old || index < 0)
        return;
    if (!Page(old)->OnKillActive()) {
        // The page keeps the tab until its input is mended.
        const QSignalBlocker blocker(m_tabs);
        m_tabs->setCurrentIndex(old);
        return;
    }
    m_stack->setCurrentIndex(index);
    Page(index)->OnSetActive();
}

void CExPropertySheet::accept()
{
    if (!Page(ActivePageIndex())->OnKillActive()) {
        // A save that could not happen must not linger: a later Cancel cancels, and a later
        // plain OK applies without saving.
        m_result_code = kPlainOk;
        return;
    }
    for (COptionPage *page : m_pages)
        page->OnOK();
    QDialog::accept();
}

void CExPropertySheet::reject()
{
    m_result_code = kPlainOk;
    QDialog::reject();
}

void CExPropertySheet::StoreInto(ProfileRecord &record) const
{
    for (COptionPage *page : m_pages)
        page->StoreFields(record);
}

void CExPropertySheet::ChooseSaveCommand(Result code)
{
    m_result_code = code;
    m_ok->click();
}

void CExPropertySheet::ShowSaveMenu()
{
    // The menu's texts are looked up each time it opens.
    QMenu menu(this);
    QAction *save = menu.addAction(UiText(m_texts, CataloguedKey("OPTION_DLG", "strSaveInfo")));
    QAction *save_as
        = menu.addAction(UiText(m_texts, CataloguedKey("OPTION_DLG", "strSaveAsInfo")));
    QAction *chosen = menu.exec(m_save->mapToGlobal(m_save->rect().bottomLeft()));
    if (chosen == save)
        ChooseSaveCommand(kSaveAndApply);
    else if (chosen == save_as)
        ChooseSaveCommand(kSaveAsAndApply);
}

void CExPropertySheet::RestoreDefaults()
{
    const std::filesystem::path file = m_opened.profile_path.str();
    if (!sheet::NameTaken(m_opened.section_name.view(), sheet::SectionNamesOf(file)))
        return;
    // Keeps what the file does not hold (the task's source size, the path) from the opening.
    // A shipped profile comes back as shipped, though "Save and Apply" rewrote its file.
    ProfileRecord saved = m_opened;
    ProfileFile::Read(m_opened.section_name.view(), saved,
                      shipped::ValuesFileFor(file, m_opened.section_name.view()));
    for (COptionPage *page : m_pages)
        page->ShowRecord(saved);
    m_video->RecomputeDefaultBitRate();
}

} // namespace quillet
