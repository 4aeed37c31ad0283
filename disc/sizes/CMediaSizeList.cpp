// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMediaSizeList.h"

#include "CCustomSizeDlg.h"

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
    const QSignalBlocker quiet(this);
    clear();
    for (const auto &entry : m_model.Entries())
        addItem(QString::fromStdString(entry));
    setCurrentIndex(m_model.Selected());
    setEnabled(true);
}

int CMediaSizeList::CustomSizeMb() const
{
    return m_model.CustomSizeMb();
}

void CMediaSizeList::CreateCustomSizeDialog(Prompter &prompter)
{
    delete m_custom;
    m_custom = new CCustomSizeDlg(prompter, window());
    m_custom->SetSizeMb(m_model.CustomSizeMb());
}

CCustomSizeDlg *CMediaSizeList::customSizeDialog() const
{
    return m_custom;
}

void CMediaSizeList::DestroyCustomSizeDialog()
{
    delete m_custom;
}

void CMediaSizeList::OnActivated(int index)
{
    m_model.SelectIndex(index);
    if (m_model.SelectedText() == split::kCustom && m_custom) {
        m_custom->SetSizeMb(m_model.CustomSizeMb());
        if (m_custom->exec() == QDialog::Accepted)
            m_model.SetCustomSizeMb(m_custom->SizeMb());
    }
    emit splitChanged();
}

} // namespace quillet
