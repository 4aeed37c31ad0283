// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace quillet {

class CSkinButton;
class Prompter;
class Texts;

/**
 * The custom split size: one whole number of megabytes (1 to 100000) asked for when the media
 * size list's "Custom" entry is chosen. The dialog keeps the size while the main window lives;
 * nothing is saved.
 */
class CCustomSizeDlg : public QDialog
{
    Q_OBJECT

public:
    /// Texts in the language of texts; prompter shows the refusal of a value that is not a whole
    /// number in range.
    CCustomSizeDlg(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    int SizeMb() const { return m_size_mb; }
    void SetSizeMb(int megabytes) { m_size_mb = megabytes; }

    QLineEdit *SizeEdit() const { return m_edit; }
    CSkinButton *OkButton() const { return m_ok; }
    CSkinButton *CancelButton() const { return m_cancel; }

    /// Shows the current size and runs the dialog; on OK the checked value becomes the size.
    int exec() override;

public slots:
    void accept() override;

private:
    void PlaceControls();

    Prompter &m_prompter;
    int m_size_mb;
    QLabel *m_prompt;
    QLineEdit *m_edit;
    QLabel *m_unit;
    CSkinButton *m_ok;
    CSkinButton *m_cancel;
};

} // namespace quillet
