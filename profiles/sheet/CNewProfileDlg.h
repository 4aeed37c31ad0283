// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

namespace quillet {

class CSkinButton;
class Prompter;
class Texts;

/**
 * The small dialog that asks for a new profile's name when a profile is saved as a new one.
 * OK refuses an empty or blank name, and one the profile file could not hold, saying why and
 * keeping the dialog open; whether the name is free is for the caller to check.
 */
class CNewProfileDlg : public QDialog
{
    Q_OBJECT

public:
    /// Identifiers of the label and the name edit.
    static constexpr int kLabelId = 1281;
    static constexpr int kNameEditId = 1054;
    /// Longest name the edit takes.
    static constexpr int kMaxNameLength = 200;

    CNewProfileDlg(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    /// Sets the name the dialog shows.
    void SetName(const QString &name);
    /// The name as it was accepted (blanks at either end removed).
    QString Name() const { return m_name; }

    QLineEdit *NameEdit() const { return m_edit; }
    CSkinButton *OkButton() const { return m_ok; }
    CSkinButton *CancelButton() const { return m_cancel; }
    QLabel *Label() const { return m_label; }

public slots:
    void accept() override;

private:
    void RefreshTexts();

    Prompter &m_prompter;
    const Texts &m_texts;
    QString m_name;
    QLabel *m_label;
    QLineEdit *m_edit;
    CSkinButton *m_ok;
    CSkinButton *m_cancel;
};

} // namespace quillet
