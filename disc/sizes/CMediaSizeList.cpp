// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMediaSizeList.h"

#include "CCustomSizeDlg.h"
#include "texts/Texts.h"
#include "texts/ui/UiText.h"

#include <QSignalBlocker>

namespace quillet {

CMediaSizeList::CMediaSizeList(QWidget *parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, &CMediaSizeList::OnActivated);
    Fill({});
}

void CMediaSizeList::Fill(std::string_view ini_file_name)
{
    m_model.Fill(ini_file_name);
    ShowEntries();
    setEnabled(true);
}

void CMediaSizeList::ShowTexts(const Texts &texts)
{
    m_texts = &texts;
    ShowEntries();
}

void CMediaSizeList::ShowEntries()
{
    static const BuiltInTexts kEnglish;
    const Texts &texts = m_texts ? *m_texts : kEnglish;
    const QSignalBlocker quiet(this);
    clear();
    for (const auto &entry : m_model.Entries()) {
        const LanguageKey *key = SplitList::DisplayKey(entry);
        addItem(key ? UiText(texts, *key) : QString::fromStdString(entry));
    }
    setCurrentIndex(m_model.Selected());
}

int CMediaSizeList::CustomSizeMb() const
{
    return m_model.CustomSizeMb();
}

void CMediaSizeList::CreateCustomSizeDialog(Prompter &prompter, const Texts &texts)
{
    delete m_custom;
    m_custom = new CCustomSizeDlg(prompter, texts, window());
    m_custom->SetSizeMb(m_model.CustomSizeMb());
}

CCustomSizeDlg *CMediaSizeList::CustomSizeDialog() const
{
    return m_custom;
}

void CMediaSizeList::DestroyCustomSizeDialog()
{
    delete m_custom;
}

void CMediaSizeList::OnActivated(int index)
{
    const int previous = m_model.Selected();
    m_model.SelectIndex(index);
    if (m_model.SelectedText() == split::kCustom && m_custom) {
        m_custom->SetSizeMb(m_model.CustomSizeMb());
        if (m_custom->exec() != QDialog::Accepted) {
            // Cancel keeps the choice the list had, as it would in any other dialog.
            m_model.SelectIndex(previous);
            const QSignalBlocker quiet(this);
            setCurrentIndex(previous);
            return;
        }
        m_model.SetCustomSizeMb(m_custom->SizeMb());
    }
    emit SplitChanged();
}

} // namespace quillet
