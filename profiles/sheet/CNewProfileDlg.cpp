// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/CNewProfileDlg.h"

#include "VeneerBinding.h"
#include "controls/CSkinButton.h"
#include "controls/DialogButton.h"
#include "controls/DialogLook.h"
#include "controls/DialogUnits.h"
#include "core/Prompter.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QLabel>
#include <QLineEdit>

namespace quillet {

CNewProfileDlg::CNewProfileDlg(Prompter &prompter, const Texts &texts, QWidget *parent)
    : QDialog(parent)
    , m_prompter(prompter)
    , m_texts(texts)
    , m_label(new QLabel(this))
    , m_edit(new QLineEdit(this))
    , m_ok(new CSkinButton(this))
    , m_cancel(new CSkinButton(this))
{
    const QFont font = DialogFont();
    setFont(font);
    const DialogUnits units(font);

    m_label->setObjectName(QStringLiteral("label%1").arg(kLabelId));
    ApplyLabelLook(m_label);
    m_edit->setObjectName(QStringLiteral("edit%1").arg(kNameEditId));
    m_edit->setMaxLength(kMaxNameLength);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_cancel->setObjectName(QStringLiteral("cancel"));
    for (CSkinButton *button : {m_ok, m_cancel}) {
        ApplyDialogButtonLook(button);
    }
    m_ok->setDefault(true);

    m_label->setGeometry(units.Rect(7, 7, 255, 8));
    m_edit->setGeometry(units.Rect(7, 19, 255, 14));
    m_ok->setGeometry(units.Rect(156, 54, 50, 14));
    m_cancel->setGeometry(units.Rect(212, 54, 50, 14));
    setFixedSize(units.X(269), units.Y(75));

    connect(m_ok, &CSkinButton::clicked, this, &CNewProfileDlg::accept);
    connect(m_cancel, &CSkinButton::clicked, this, &CNewProfileDlg::reject);
    RefreshTexts();
    TheVeneer().AddFilterHook(this);
}

void CNewProfileDlg::RefreshTexts()
{
    setWindowTitle(UiText(m_texts, CataloguedKey("NEWPROFILE_DLG", "strTitleInfo")));
    m_ok->setText(UiText(m_texts, CataloguedKey("NEWPROFILE_DLG", "btnOKInfo")));
    m_ok->SetTooltipText(UiText(m_texts, CataloguedKey("NEWPROFILE_DLG", "btnOKTooltip")));
    m_cancel->setText(UiText(m_texts, CataloguedKey("NEWPROFILE_DLG", "btnCancelInfo")));
    m_cancel->SetTooltipText(UiText(m_texts, CataloguedKey("NEWPROFILE_DLG", "btnCancelTooltip")));
    m_label->setText(UiText(m_texts, CataloguedKey("NEWPROFILE_DLG", "strNewprofileInfo")));
}

void CNewProfileDlg::SetName(const QString &name)
{
    m_name = name;
    m_edit->setText(name);
    m_edit->selectAll();
}

void CNewProfileDlg::accept()
{
    const std::string typed = m_edit->text().toStdString();
    const sheet::NameRefusal refusal = sheet::RefusalOfName(typed);
    if (refusal != sheet::NameRefusal::None) {
        const LanguageKey &reason = refusal == sheet::NameRefusal::Blank
            ? CataloguedKey("NEWPROFILE_DLG", "strEmptyNameInfo")
            : CataloguedKey("NEWPROFILE_DLG", "strInvalidNameInfo");
        m_prompter.Tell(LookupKey(m_texts, reason), {}, Prompter::Icon::Exclamation);
        m_edit->setFocus(Qt::OtherFocusReason);
        m_edit->selectAll();
        return;
    }
    m_name = QString::fromStdString(sheet::TrimmedProfileName(typed));
    QDialog::accept();
}

} // namespace quillet
