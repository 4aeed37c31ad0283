// SPDX-License-Identifier: GPL-3.0-or-later
// Which controls the main window offers, idle and while a batch runs.
#include "MainDialog.h"

#include "texts/LanguageTable.h"
#include "texts/ui/UiText.h"

#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "ColorRef.h"
#include "SkinImageSet.h"
#include "SkinResources.h"
#include "TaskListView.h"
#include "core/TaskList.h"
#include "texts/LanguageKeys.h"

#include <QCheckBox>

namespace quillet {

namespace {

void SetEnabled(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *widget : widgets)
        widget->setEnabled(enabled);
}

} // namespace

void MainDialog::SetConvertFace(bool converting)
{
    m_convert->SetLeadingPicture(converting ? kLeadingConverting : kLeadingConvert,
                                 ColorFromRef(kLeadingKeyColorRef));
    m_convert->setText(UiText(m_languages,
                              converting ? CataloguedKey("MAIN_DLG", "btnConvert2Info")
                                         : CataloguedKey("MAIN_DLG", "btnConvertInfo")));
    m_convert->SetTooltipText(UiText(m_languages,
                                     converting ? CataloguedKey("MAIN_DLG", "btnConvert2Tooltip")
                                                : CataloguedKey("MAIN_DLG", "btnConvertTooltip")));
}

void MainDialog::UpdateButtonStates()
{
    // Every change of the list ends here or in its rows.
    NoteListChange();
    if (m_state.converting) {
        // Only Cancel (the Convert button's other face) and what cannot change the batch.
        SetConvertFace(true);
        m_convert->setEnabled(true);
        SetEnabled({m_add, m_down, m_up, m_remove, m_options, m_merge, m_apply_all, m_picker,
                    m_change_folder, m_sizes, m_subtitle, m_audio},
                   false);
        return;
    }

    SetEnabled({m_add, m_sizes, m_merge, m_apply_all, m_picker, m_change_folder}, true);
    SetConvertFace(false);
    const int count = m_tasks.Count();
    if (count == 0) {
        m_list->SetEmptyPicture(SkinResources::EmptyListPicture());
        SetEnabled({m_convert, m_down, m_up, m_remove, m_options, m_subtitle, m_audio}, false);
        return;
    }
    m_list->SetEmptyPicture(QPixmap());
    SetEnabled({m_convert, m_remove}, true);
    const std::vector<int> selected = m_list->SelectedRows();
    if (selected.empty()) {
        SetEnabled({m_up, m_down, m_options, m_subtitle, m_audio}, false);
    } else if (selected.size() == 1) {
        const int row = selected.front();
        SetEnabled({m_options, m_subtitle, m_audio}, true);
        m_up->setEnabled(row != 0);
        m_down->setEnabled(row != count - 1);
    }
    // With several rows selected the row-wise buttons keep their states.
}

} // namespace quillet
