// SPDX-License-Identifier: GPL-3.0-or-later
#include "CCustomSizeDlg.h"

#include "CSkinButton.h"
#include "DataExchange.h"
#include "DialogButton.h"
#include "DialogLook.h"
#include "DialogUnits.h"
#include "VeneerBinding.h"
#include "core/SplitPresets.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace quillet {

namespace {

consteval const LanguageKey &Key(std::string_view key)
{
    return CataloguedKey("CUSTOMSIZE_DLG", key);
}

// The template, in dialog units: 143 x 49.
constexpr QRect kPromptRect(7, 9, 86, 8);
constexpr QRect kEditRect(95, 7, 26, 12);
constexpr QRect kUnitRect(124, 9, 14, 8);
constexpr QRect kOkRect(36, 28, 50, 14);
constexpr QRect kCancelRect(89, 28, 50, 14);
constexpr int kWidth = 143;
constexpr int kHeight = 49;

} // namespace

CCustomSizeDlg::CCustomSizeDlg(Prompter &prompter, const Texts &texts, QWidget *parent)
    : QDialog(parent)
    , m_prompter(prompter)
    , m_size_mb(split::kCustomSizeInitialMb)
    , m_prompt(new QLabel(UiText(texts, Key("strPromptInfo")), this))
    , m_edit(new QLineEdit(this))
    , m_unit(new QLabel(UiText(texts, Key("strUnitInfo")), this))
    , m_ok(new CSkinButton(UiText(texts, Key("btnOKInfo")), this))
    , m_cancel(new CSkinButton(UiText(texts, Key("btnCancelInfo")), this))
{
    setWindowTitle(UiText(texts, Key("strTitleInfo")));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(DialogFont());
    for (QLabel *label : {m_prompt, m_unit})
        ApplyLabelLook(label);
    for (CSkinButton *button : {m_ok, m_cancel}) {
        ApplyDialogButtonLook(button);
        button->setAutoDefault(false);
    }
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CCustomSizeDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CCustomSizeDlg::reject);
    PlaceControls();
    TheVeneer().AddFilterHook(this);
}

void CCustomSizeDlg::PlaceControls()
{
    const DialogUnits du(font());
    // The prompt keeps its template width unless its text needs more; the field and the unit
    // then move right with it, so no text is ever cut.
    QRect prompt = du.Rect(kPromptRect);
    const int needed = QFontMetrics(font()).horizontalAdvance(m_prompt->text()) + 2;
    const int extra = std::max(0, needed - prompt.width());
    prompt.setWidth(prompt.width() + extra);
    m_prompt->setGeometry(prompt);
    m_edit->setGeometry(du.Rect(kEditRect).translated(extra, 0));
    m_unit->setGeometry(du.Rect(kUnitRect).translated(extra, 0));
    m_ok->setGeometry(du.Rect(kOkRect).translated(extra, 0));
    m_cancel->setGeometry(du.Rect(kCancelRect).translated(extra, 0));
    setFixedSize(du.X(kWidth) + extra, du.Y(kHeight));
}

int CCustomSizeDlg::exec()
{
    DataExchange load(DataExchange::Direction::ToControls, m_prompter);
    load.Integer(m_edit, m_size_mb);
    m_edit->selectAll();
    m_edit->setFocus();
    return QDialog::exec();
}

void CCustomSizeDlg::accept()
{
    int value = m_size_mb;
    DataExchange save(DataExchange::Direction::FromControls, m_prompter, windowTitle());
    // 0 MB would be a limit that stops every output at its first bytes.
    save.Integer(m_edit, value, std::max(split::kCustomSizeMinMb, 1), split::kCustomSizeMaxMb);
    if (save.Failed())
        return;
    m_size_mb = value;
    QDialog::accept();
}

} // namespace quillet
