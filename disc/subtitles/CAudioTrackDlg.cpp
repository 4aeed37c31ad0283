// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/CAudioTrackDlg.h"

#include "DialogLook.h"
#include "DialogUnits.h"
#include "VeneerBinding.h"
#include "core/TaskList.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QListWidget>

namespace quillet {

CAudioTrackDlg::CAudioTrackDlg(const Texts &texts, std::vector<AudioTrack> &tracks, QWidget *parent)
    : QDialog(parent)
    , m_tracks(tracks)
    , m_list(new QListWidget(this))
{
    ApplyDialogLook(this);
    setWindowTitle(UiText(texts, CataloguedKey("AUDIO_DLG", "strTitleInfo")));
    const DialogUnits du(font());
    setFixedSize(du.X(187), du.Y(76));
    m_list->setGeometry(du.Rect(6, 7, 173, 62));
    for (const AudioTrack &track : m_tracks) {
        auto *item = new QListWidgetItem(QString::fromUtf8(track.description.c_str()), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(track.selected == 1 ? Qt::Checked : Qt::Unchecked);
    }
    TheVeneer().AddFilterHook(this);
}

bool CAudioTrackDlg::EditSelectedTask(QWidget *owner, TaskList &tasks,
                                      const std::vector<int> &selected_rows, const Texts &texts)
{
    if (selected_rows.size() != 1)
        return false;
    Task *task = tasks.Get(selected_rows.front());
    if (!task)
        return false;
    CAudioTrackDlg dialog(texts, task->audio_tracks, owner);
    dialog.exec();
    return true;
}

void CAudioTrackDlg::done(int result)
{
    for (int row = 0; row < m_list->count() && row < static_cast<int>(m_tracks.size()); ++row)
        m_tracks[static_cast<std::size_t>(row)].selected
            = m_list->item(row)->checkState() == Qt::Checked ? 1 : 0;
    QDialog::done(result);
}

} // namespace quillet
