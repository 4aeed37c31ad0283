// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ImageList.h"
#include "profiles/ProfileCatalogue.h"

#include <QTimer>
#include <QWidget>

#include <string>

namespace quillet {

class Texts;

class CIconListBox;

/**
 * The profile picker's drop-down: device groups on the left, the profiles of the hovered group on
 * the right, over the ProfileCatalogue model. The panes follow the mouse; a click (or Enter) on a
 * profile commits it, closes the drop-down and announces the pick with profileSelected, queued as
 * a posted message would be. Esc, a click outside, or another window becoming active close it
 * without a commit and put the committed group and profile back.
 *
 * It is a pop-up window: it takes the mouse and keyboard while open, and the platform closes it
 * when the user clicks elsewhere. A 100 ms watch closes it too when the program has no active
 * window any more or another window has come up over it.
 */
class CProfileComboDlg : public QWidget
{
    Q_OBJECT

public:
    /// Its window text, by which it recognises itself.
    static constexpr const char *kWindowText = "MY_COMBOBOX_DLG_8421";
    /// The watch timer's period.
    static constexpr int kWatchPeriodMs = 100;
    /// Width of the group pane in dialog units; the profile pane takes the rest.
    static constexpr int kGroupPaneWidthDu = 101;

    /// size is the drop-down's size in pixels; focus returns to focus_owner after it closes.
    CProfileComboDlg(QWidget *focus_owner, const QSize &size);

    ProfileCatalogue &Catalogue() { return m_catalogue; }
    const ProfileCatalogue &Catalogue() const { return m_catalogue; }

    void AddProfile(std::string_view ini_file, std::string_view section);
    /// Lists the groups in the left pane; once, after the scan.
    void FinishGroups();
    /// The start-up scan of the profile folder (ending in '/'), then FinishGroups.
    void Scan(const std::string &ini_folder);
    /// Shows the group names in the language of texts (as named until it is called); texts
    /// must outlive the drop-down.
    void ShowTexts(const Texts &texts);
    /// Makes that profile the committed one and shows it in the panes.
    void SelectProfile(std::string_view ini_file, std::string_view section);
    bool GetSelectedProfile(std::string &ini_file, std::string &section) const;

    /// Opens below anchor (a rectangle in global coordinates).
    void OpenBelow(const QRect &anchor);
    /// Closes without restoring the committed state.
    void HideNow();

    CIconListBox *GroupPane() const { return m_groups; }
    CIconListBox *ItemPane() const { return m_items; }
    bool WatchRunning() const { return m_watch.isActive(); }
    /// The 16 x 16 icons of the closed control.
    const ImageList &SmallIcons() const { return m_closed_icons; }

    /// Commits the current profile of the right pane (its first one when none is current).
    /// Nothing is committed, and nothing announced, when the pane is empty.
    bool CommitCurrent();

signals:
    /// A profile was committed; item is its row in the right pane.
    void ProfileSelected(int item);
    /// The committed choice changed or the drop-down closed: the closed control repaints.
    void CommittedChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ShowGroup(int group);
    /// Gives the keyboard to the profile pane (or the group pane), its first row current.
    void StepPane(bool to_items);
    void OnGroupRowChanged(int row);
    void OnGroupPointed();
    void OnItemClicked();
    void OnWatch();
    void RestoreCommitted();
    QString GroupText(const std::string &name) const;

    ProfileCatalogue m_catalogue;
    const Texts *m_texts = nullptr;
    QWidget *m_focus_owner;
    ImageList m_large_icons; // right pane
    ImageList m_group_icons; // left pane
    ImageList m_closed_icons; // the closed control
    CIconListBox *m_groups;
    CIconListBox *m_items;
    QTimer m_watch;
    bool m_filling = false; // panes changed by the program, not by the user
    bool m_closing_quietly = false; // closed by a commit or the control: nothing to restore
    // Margins of the layout around and between the panes, in pixels.
    int m_left = 0, m_top = 0, m_group_width = 0, m_gap = 0, m_right = 0, m_bottom = 0;
};

} // namespace quillet
