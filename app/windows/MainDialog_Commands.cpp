// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: buttons, menus, accelerators, the shell and the languages.
#include "MainDialog.h"

#include "texts/ui/UiText.h"

#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "DesktopActions.h"
#include "LinkOpener.h"
#include "TaskListView.h"
#include "app/ConverterApp.h"
#include "core/TaskList.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QShortcut>

#include <filesystem>

namespace quillet {

void MainDialog::ConnectCommands()
{
    connect(m_add, &QPushButton::clicked, this, &MainDialog::OnAddButton);
    connect(m_remove, &QPushButton::clicked, this, &MainDialog::OnRemoveButton);
    connect(m_up, &QPushButton::clicked, this, &MainDialog::OnUp);
    connect(m_down, &QPushButton::clicked, this, &MainDialog::OnDown);
    connect(m_convert, &QPushButton::clicked, this, &MainDialog::OnConvert);
    connect(m_options, &QPushButton::clicked, this, &MainDialog::OnOptions);
    connect(m_audio, &QPushButton::clicked, this, &MainDialog::OnAudioTrack);
    connect(m_subtitle, &QPushButton::clicked, this, &MainDialog::OnSubtitle);
    connect(m_apply_all, &QCheckBox::clicked, this, &MainDialog::OnApplyToAll);
    connect(m_merge, &QCheckBox::clicked, this, &MainDialog::OnMerge);
    connect(m_sizes, &CMediaSizeList::SplitChanged, this, &MainDialog::OnSplitChanged);
    connect(m_picker, &CProfileComboBox::ProfileSelected, this, &MainDialog::OnProfileSelected);
    connect(m_change_folder, &QPushButton::clicked, this, &MainDialog::OnChangeOutputFolder);
    connect(m_open_folder, &QPushButton::clicked, this, &MainDialog::OnOpenOutputFolder);
    connect(m_settings, &QPushButton::clicked, this, &MainDialog::OnSettingsButton);
    connect(m_update, &QPushButton::clicked, this, &MainDialog::OnCheckForUpdate);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &MainDialog::OnListSelectionChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &MainDialog::OnProperties);
    connect(m_list, &TaskListView::EmptyListClicked, this, &MainDialog::OnEmptyListClicked);
    connect(m_list, &QWidget::customContextMenuRequested, this, &MainDialog::OnListContextMenu);
    // Delete in the list removes what is selected there, as the Delete button's menu does.
    auto *delete_key = new QShortcut(QKeySequence::Delete, m_list);
    delete_key->setContext(Qt::WidgetWithChildrenShortcut);
    connect(delete_key, &QShortcut::activated, this, &MainDialog::OnDeleteKey);
}

void MainDialog::CreateAccelerators()
{
    // Keys the window answers wherever the focus is, before the focused control sees them.
    const std::pair<QKeySequence, void (MainDialog::*)()> accelerators[] = {
        {QKeySequence(Qt::Key_F1), &MainDialog::OnHelp},
        {QKeySequence(Qt::CTRL | Qt::Key_E), &MainDialog::OnMediaPlayer},
        {QKeySequence(Qt::CTRL | Qt::Key_B), &MainDialog::OnDiscBurner},
        {QKeySequence(Qt::ALT | Qt::Key_F4), &MainDialog::OnExit},
    };
    for (const auto &[keys, command] : accelerators) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, command);
    }
}

QMenu *MainDialog::NewMenu()
{
    // Menus are built afresh each time they are shown, so their texts follow the language.
    if (m_menu)
        m_menu->close();
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu = menu;
    return menu;
}

void MainDialog::ShowMenu(QMenu *menu, const QPoint &global)
{
    menu->popup(global);
}

QMenu *MainDialog::BuildAddMenu()
{
    QMenu *menu = NewMenu();
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strAddFileInfo")), this,
                    &MainDialog::OnAddFiles);
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strAddFolderInfo")), this,
                    &MainDialog::OnAddFolder);
    menu->addSeparator();
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strAddAVCHDInfo")), this,
                    &MainDialog::OnImportDisc);
    return menu;
}

QMenu *MainDialog::BuildRemoveMenu()
{
    QMenu *menu = NewMenu();
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strRemoveSelectedInfo")), this,
                    &MainDialog::OnRemoveSelected);
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strRemoveAllInfo")), this,
                    &MainDialog::OnRemoveAll);
    return menu;
}

QMenu *MainDialog::BuildSettingsMenu()
{
    QMenu *menu = NewMenu();
    // The key names after a tab show in the menu's shortcut column; the accelerators of the
    // window do the work, so the items carry no shortcut of their own.
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strHelpInfo"))
                        + QStringLiteral("\tF1"),
                    this, &MainDialog::OnHelp);
    menu->addSeparator();
    QMenu *languages
        = menu->addMenu(UiText(m_languages, CataloguedKey("MAIN_DLG", "strLanguageInfo")));
    for (const LanguageMenuItem &item : m_languages.MenuItems()) {
        QAction *action = languages->addAction(QString::fromStdString(item.name));
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setData(item.command);
        const int command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { OnLanguageCommand(command); });
    }
    QMenu *jobs
        = menu->addMenu(UiText(m_languages, CataloguedKey("MAIN_DLG", "strSimultaneousInfo")));
    auto *choices = new QActionGroup(jobs);
    for (int count = 0; count <= kMostJobs; ++count) {
        QAction *action = jobs->addAction(
            count == 0 ? UiText(m_languages, CataloguedKey("MAIN_DLG", "strSimultaneousAutoInfo"))
                       : QString::number(count));
        action->setCheckable(true);
        action->setChecked(count == SimultaneousJobs());
        choices->addAction(action);
        connect(action, &QAction::triggered, this, [this, count] { SetSimultaneousJobs(count); });
    }
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strMediaplayerInfo"))
                        + QStringLiteral("\tCtrl+E"),
                    this, &MainDialog::OnMediaPlayer);
    menu->addSeparator();
    menu->addAction(UiText(m_languages, CataloguedKey("MAIN_DLG", "strExitInfo"))
                        + QStringLiteral("\tAlt+F4"),
                    this, &MainDialog::OnExit);
    return menu;
}

QMenu *MainDialog::BuildListMenu()
{
    const std::size_t selected = m_list->SelectedRows().size();
    const bool converting = m_state.converting != 0;
    const bool one = selected == 1;
    QMenu *menu = NewMenu();
    auto item = [&](const LanguageKey &key, void (MainDialog::*command)(), bool enabled) {
        QAction *action = menu->addAction(UiText(m_languages, key));
        // Queued: a command may run a batch or a dialog with an event loop of its own, during
        // which the menu, deleted on close, would go while its click handler is still running.
        connect(action, &QAction::triggered, this, command, Qt::QueuedConnection);
        action->setEnabled(enabled);
    };
    item(CataloguedKey("MAIN_DLG", "strListAddInfo"), &MainDialog::OnAddFiles, !converting);
    item(CataloguedKey("MAIN_DLG", "strListAddFolderInfo"), &MainDialog::OnAddFolder, !converting);
    menu->addSeparator();
    item(CataloguedKey("MAIN_DLG", "strListRemoveInfo"), &MainDialog::OnRemoveSelected,
         one && !converting);
    item(CataloguedKey("MAIN_DLG", "strListRemoveAllInfo"), &MainDialog::OnRemoveAll,
         one && !converting);
    menu->addSeparator();
    item(CataloguedKey("MAIN_DLG", "strListConvertInfo"), &MainDialog::OnConvertSelected,
         one && !converting);
    item(CataloguedKey("MAIN_DLG", "strListConvertAgainInfo"), &MainDialog::OnConvertAgain,
         one && !converting);
    menu->addSeparator();
    item(CataloguedKey("MAIN_DLG", "strListAudioTrackInfo"), &MainDialog::OnAudioTrack, one);
    item(CataloguedKey("MAIN_DLG", "strListSubtitleInfo"), &MainDialog::OnSubtitle, one);
    item(CataloguedKey("MAIN_DLG", "strListProfileInfo"), &MainDialog::OnOptions,
         one && !converting);
    menu->addSeparator();
    item(CataloguedKey("MAIN_DLG", "strListFileInfo"), &MainDialog::OnProperties,
         one && !converting);
    return menu;
}

void MainDialog::OnAddButton()
{
    m_add_menu_timer.stop();
    ShowMenu(BuildAddMenu(), m_add->mapToGlobal(QPoint(0, m_add->height())));
}

void MainDialog::OnRemoveButton()
{
    ShowMenu(BuildRemoveMenu(), m_remove->mapToGlobal(QPoint(0, m_remove->height())));
}

void MainDialog::OnSettingsButton()
{
    QMenu *menu = BuildSettingsMenu();
    // Its right edge at the button's bottom-right corner.
    const QPoint corner
        = m_settings->mapToGlobal(QPoint(m_settings->width(), m_settings->height()));
    ShowMenu(menu, QPoint(corner.x() - menu->sizeHint().width(), corner.y()));
}

void MainDialog::OnEmptyListClicked(const QPoint &global)
{
    if (m_tasks.Count() == 0 && !m_state.converting)
        ShowMenu(BuildAddMenu(), global);
}

void MainDialog::OnListContextMenu(const QPoint &position)
{
    // Several rows share no list menu: none is shown.
    if (m_list->SelectedRows().size() > 1)
        return;
    ShowMenu(BuildListMenu(), m_list->viewport()->mapToGlobal(position));
}

void MainDialog::OpenWithWaitCursor(const std::string &target)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_desktop->Open(target);
    QApplication::restoreOverrideCursor();
}

void MainDialog::StartWithWaitCursor(const std::string &program)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_desktop->StartProgram(program);
    QApplication::restoreOverrideCursor();
}

void MainDialog::OnCheckForUpdate()
{
    OpenWithWaitCursor(m_app.ProductPage());
}

void MainDialog::OnHelp()
{
    OpenWithWaitCursor(m_app.SupportPage());
}

void MainDialog::OnMediaPlayer()
{
    // No player comes with the program: the desktop's own plays the selected task's output,
    // or its source before a run has made one.
    const std::vector<int> selected = m_list->SelectedRows();
    const Task *task = selected.size() == 1 ? m_tasks.Get(selected.front()) : nullptr;
    if (!task) {
        Tell(LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strNothingToPlayInfo")), {},
             Icon::Information);
        return;
    }
    std::error_code ec;
    const std::string &target = std::filesystem::is_regular_file(task->destination_path, ec)
        ? task->destination_path
        : task->source_path;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int handed = m_desktop->Open(target);
    QApplication::restoreOverrideCursor();
    if (handed <= kLinkOpened)
        Tell(FormatText(
            LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strNoMediaPlayerInfo")),
            target.c_str()));
}

void MainDialog::OnDiscBurner()
{
    StartWithWaitCursor(m_app.ProgramFolderWithSlash() + kDiscBurner);
}

void MainDialog::OnExit()
{
    // Posted, so the menu or key that asked is done before the closing rules run.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void MainDialog::OnLanguageCommand(int command)
{
    if (!m_languages.HandleLanguageCommand(command))
        return;
    m_app.SaveLanguage(m_languages);
    RefreshTexts();
}

} // namespace quillet
