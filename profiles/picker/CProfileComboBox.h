// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include <string>
#include <string_view>

namespace quillet {

class Texts;

class CProfileComboDlg;

/**
 * The profile picker on the main window: a drop-down control that shows the committed profile
 * (its small icon and name) and opens the two-pane drop-down CProfileComboDlg. A click toggles
 * the drop-down, Alt+Down opens it; the arrow keys never change the choice. Every catalogue
 * operation goes to the drop-down, which is made by Create; before that they do nothing.
 */
class CProfileComboBox : public QWidget
{
    Q_OBJECT

public:
    explicit CProfileComboBox(QWidget *parent = nullptr);

    /// Makes the drop-down, hidden. A width of 0 or less means the control's own width, a
    /// height of 0 or less means 100 pixels.
    void Create(int popup_width, int popup_height);

    void AddProfile(std::string_view ini_file, std::string_view section);
    void FinishGroups();
    /// Catalogues every profile file of ini_folder (ending in '/') but the default-profile
    /// file, then lists the groups.
    void Scan(const std::string &ini_folder);
    /// The drop-down's group names in the language of texts (CProfileComboDlg::ShowTexts).
    void ShowTexts(const Texts &texts);
    void SelectProfile(std::string_view ini_file, std::string_view section);
    /// The committed (file, section); false when nothing is committed.
    bool GetSelectedProfile(std::string &ini_file, std::string &section) const;

    /// The committed item's row in the right pane, -1 when none.
    int CommittedIndex() const;
    QString CommittedText() const;
    /// Index of the committed item's icon in the drop-down's image lists.
    int CommittedIcon() const;

    CProfileComboDlg *Popup() const;
    bool PopupVisible() const;
    void OpenPopup();

    QSize sizeHint() const override;

signals:
    /// The user committed a profile in the drop-down (delivered after the commit, queued).
    void ProfileSelected(int item);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Toggle();

    QPointer<CProfileComboDlg> m_popup;
};

} // namespace quillet
