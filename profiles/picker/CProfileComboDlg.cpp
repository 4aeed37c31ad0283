// SPDX-License-Identifier: GPL-3.0-or-later
#include "CProfileComboDlg.h"

#include "CIconListBox.h"
#include "DialogUnits.h"
#include "SkinResources.h"
#include "VeneerBinding.h"
#include "profiles/DeviceGroupTable.h"
#include "texts/ui/UiText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quillet {

namespace {

QList<int> IconIds()
{
    return QList<int>(SkinResources::kProfileIconIds.begin(), SkinResources::kProfileIconIds.end());
}

} // namespace

CProfileComboDlg::CProfileComboDlg(QWidget *focus_owner, const QSize &size)
    : QWidget(focus_owner->window(), Qt::Popup | Qt::FramelessWindowHint)
    , m_focus_owner(focus_owner)
    , m_large_icons(ImageList::FromIcons(IconIds(), 32))
    , m_group_icons(ImageList::FromIcons(IconIds(), 16))
    , m_closed_icons(ImageList::FromIcons(IconIds(), 16))
    , m_groups(new CIconListBox(this))
    , m_items(new CIconListBox(this))
{
    setWindowTitle(QLatin1String(kWindowText));
    setObjectName(QLatin1String(kWindowText));
    setFont(DialogFont());
    setAutoFillBackground(true);
    m_groups->SetPaneId(0);
    m_items->SetPaneId(1);
    m_groups->SetImageList(m_group_icons);
    m_items->SetImageList(m_large_icons);

    // The template: the two panes side by side, one dialog unit from the edges and each other.
    const DialogUnits du(font());
    m_left = du.X(1);
    m_top = du.Y(1);
    m_group_width = du.X(kGroupPaneWidthDu);
    m_gap = du.X(1);
    m_right = du.X(1);
    m_bottom = du.Y(1);
    resize(size);

    connect(m_groups, &QListWidget::currentRowChanged, this, &CProfileComboDlg::OnGroupRowChanged);
    connect(m_groups, &CIconListBox::PaneHovered, this, &CProfileComboDlg::OnGroupPointed);
    connect(m_groups, &CIconListBox::PaneClicked, this, &CProfileComboDlg::OnGroupPointed);
    connect(m_items, &CIconListBox::PaneClicked, this, &CProfileComboDlg::OnItemClicked);
    m_watch.setInterval(kWatchPeriodMs);
    connect(&m_watch, &QTimer::timeout, this, &CProfileComboDlg::OnWatch);
    m_groups->installEventFilter(this);
    m_items->installEventFilter(this);
    TheVeneer().AddFilterHook(this);
}

void CProfileComboDlg::resizeEvent(QResizeEvent *event)
{
    // The group pane keeps its place and width; the profile pane takes the rest.
    m_groups->setGeometry(m_left, m_top, m_group_width, height() - m_top - m_bottom);
    const int items_left = m_left + m_group_width + m_gap;
    m_items->setGeometry(items_left, m_top, width() - items_left - m_right,
                         height() - m_top - m_bottom);
    QWidget::resizeEvent(event);
}

void CProfileComboDlg::AddProfile(std::string_view ini_file, std::string_view section)
{
    m_catalogue.AddProfile(ini_file, section);
}

void CProfileComboDlg::FinishGroups()
{
    m_catalogue.FinishGroups();
    m_filling = true;
    m_groups->clear();
    for (const ProfileGroup &group : m_catalogue.Groups())
        m_groups->AddRow(GroupText(group.name), group.icon);
    m_filling = false;
}

void CProfileComboDlg::ShowTexts(const Texts &texts)
{
    m_texts = &texts;
    m_groups->setAccessibleName(
        UiText(texts, CataloguedKey("PROFILE_COMBO_DLG", "strProfileGroupsName")));
    m_items->setAccessibleName(
        UiText(texts, CataloguedKey("PROFILE_COMBO_DLG", "strProfilesName")));
    const std::vector<ProfileGroup> &groups = m_catalogue.Groups();
    for (int row = 0; row < m_groups->count() && row < static_cast<int>(groups.size()); ++row)
        m_groups->item(row)->setText(GroupText(groups[static_cast<std::size_t>(row)].name));
}

QString CProfileComboDlg::GroupText(const std::string &name) const
{
    const LanguageKey *key = GroupDisplayKey(name);
    if (!key || !m_texts)
        return QString::fromStdString(name);
    return UiText(*m_texts, *key);
}

void CProfileComboDlg::Scan(const std::string &ini_folder)
{
    m_catalogue.Scan(ini_folder);
    FinishGroups();
}

void CProfileComboDlg::ShowGroup(int group)
{
    m_filling = true;
    m_items->clear();
    for (const ProfileItem *item : m_catalogue.ItemsShownFor(group)) {
        const int row = m_items->AddRow(QString::fromStdString(item->display_text), item->icon);
        m_items->SetRowData(row, const_cast<ProfileItem *>(item));
    }
    m_filling = false;
}

void CProfileComboDlg::SelectProfile(std::string_view ini_file, std::string_view section)
{
    if (m_catalogue.GroupIndexFor(ini_file) < 0)
        return;
    m_catalogue.SelectProfile(ini_file, section);
    RestoreCommitted();
    emit CommittedChanged();
}

bool CProfileComboDlg::GetSelectedProfile(std::string &ini_file, std::string &section) const
{
    return m_catalogue.GetSelectedProfile(ini_file, section);
}

void CProfileComboDlg::RestoreCommitted()
{
    m_filling = true;
    m_groups->setCurrentRow(m_catalogue.CommittedGroup());
    m_filling = false;
    ShowGroup(m_catalogue.CommittedGroup());
    m_filling = true;
    m_items->setCurrentRow(m_catalogue.CommittedItem());
    m_filling = false;
}

void CProfileComboDlg::OpenBelow(const QRect &anchor)
{
    move(anchor.left(), anchor.top() + anchor.height() + 1);
    show();
    raise();
    activateWindow();
    m_items->setFocus(Qt::PopupFocusReason);
    m_watch.start();
}

void CProfileComboDlg::HideNow()
{
    m_closing_quietly = true;
    hide();
}

void CProfileComboDlg::OnGroupRowChanged(int row)
{
    if (m_filling || row < 0)
        return;
    // Hovering or stepping onto a group shows its profiles; nothing is committed.
    ShowGroup(row);
    if (m_items->count() > 0)
        m_items->setCurrentRow(0);
}

void CProfileComboDlg::OnGroupPointed()
{
    OnGroupRowChanged(m_groups->currentRow());
    m_items->setFocus(Qt::MouseFocusReason);
}

void CProfileComboDlg::OnItemClicked()
{
    CommitCurrent();
}

bool CProfileComboDlg::CommitCurrent()
{
    int item = m_items->currentRow();
    if (item < 0 && m_items->count() > 0)
        item = 0;
    // An empty pane has nothing to commit: no commit, no announcement, the drop-down stays.
    if (!m_catalogue.Commit(m_groups->currentRow(), item))
        return false;
    m_items->setCurrentRow(item);
    m_watch.stop();
    m_closing_quietly = true;
    hide();
    // Announced once the current event is done, as a posted message would be.
    QMetaObject::invokeMethod(
        this, [this, item] { emit ProfileSelected(item); }, Qt::QueuedConnection);
    return true;
}

void CProfileComboDlg::OnWatch()
{
    const QWidget *active = QApplication::activeWindow();
    const QWidget *popup = QApplication::activePopupWidget();
    const bool mine = popup == this || active == this;
    const bool other_window = active && active != this && active != m_focus_owner->window();
    if ((!active && !popup) || (isVisible() && !mine) || other_window)
        hide();
}

void CProfileComboDlg::showEvent(QShowEvent *event)
{
    setAttribute(Qt::WA_NoMouseReplay, false);
    QWidget::showEvent(event);
}

void CProfileComboDlg::hideEvent(QHideEvent *event)
{
    m_watch.stop();
    if (!m_closing_quietly)
        RestoreCommitted();
    m_closing_quietly = false;
    m_focus_owner->setFocus(Qt::PopupFocusReason);
    emit CommittedChanged();
    QWidget::hideEvent(event);
}

void CProfileComboDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CommitCurrent();
        event->accept();
        return;
    case Qt::Key_Escape:
        hide();
        event->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Left and Right step between the panes, as the pointer moves between them.
        StepPane(event->key() == Qt::Key_Right);
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CProfileComboDlg::StepPane(bool to_items)
{
    CIconListBox *pane = to_items ? m_items : m_groups;
    if (pane->currentRow() < 0 && pane->count() > 0)
        pane->setCurrentRow(0);
    pane->setFocus(Qt::TabFocusReason);
}

bool CProfileComboDlg::eventFilter(QObject *watched, QEvent *event)
{
    // The panes are single-column lists, which would swallow Left and Right.
    if (event->type() == QEvent::KeyPress && (watched == m_groups || watched == m_items)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            StepPane(key == Qt::Key_Right);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CProfileComboDlg::mousePressEvent(QMouseEvent *event)
{
    // A press outside closes the drop-down. On the closed control that is the whole toggle: the
    // press must not reach it and open the drop-down again, and nothing is restored.
    const QPoint global = event->globalPosition().toPoint();
    const QRect owner(m_focus_owner->mapToGlobal(QPoint(0, 0)), m_focus_owner->size());
    if (!rect().contains(event->position().toPoint()) && owner.contains(global)) {
        setAttribute(Qt::WA_NoMouseReplay);
        m_closing_quietly = true;
    }
    QWidget::mousePressEvent(event);
}

} // namespace quillet
