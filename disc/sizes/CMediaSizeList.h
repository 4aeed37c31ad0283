// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc/SplitList.h"

#include <QComboBox>
#include <QPointer>

#include <string>
#include <string_view>

namespace quillet {

class CCustomSizeDlg;
class Prompter;
class Texts;

/**
 * The main window's media size list: the drop-down that shows the split list (SplitList) and
 * asks for the custom size when the user chooses "Custom". The entries and the default choice
 * follow the current profile's file; the user's choice feeds the totals line, the engine's size
 * limit and the disc-size check.
 */
class CMediaSizeList : public QComboBox
{
    Q_OBJECT

public:
    explicit CMediaSizeList(QWidget *parent = nullptr);
    /// Refills the entries for a profile file (folder-less name), selects its default entry and
    /// enables the list.
    void Fill(std::string_view ini_file_name);

    std::string SelectedText() const { return m_model.SelectedText(); }
    int CustomSizeMb() const;
    const SplitList &Model() const { return m_model; }

    /// Shows the entries in the language of texts (English until it is called); texts must
    /// outlive the list.
    void ShowTexts(const Texts &texts);

    /// Makes the custom size dialog (once the window is set up) in the language of texts;
    /// prompter shows its refusals.
    void CreateCustomSizeDialog(Prompter &prompter, const Texts &texts);
    /// Deletes it (when the window closes); "Custom" then keeps the last size without asking.
    void DestroyCustomSizeDialog();
    CCustomSizeDlg *CustomSizeDialog() const;

signals:
    /// The user chose an entry (after the custom size was asked for, when it was "Custom").
    void SplitChanged();

private:
    void OnActivated(int index);

    void ShowEntries();

    SplitList m_model;
    const Texts *m_texts = nullptr;
    QPointer<CCustomSizeDlg> m_custom; // a child of the window, deleted on request
};

} // namespace quillet
