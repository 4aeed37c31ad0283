// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace quillet {

class CSkinButton;
class Texts;
struct Task;

/**
 * Properties: what the probe found out about one task's source, in four read-only fields (file
 * name, length, the video description and one line per audio track) with an OK button.
 */
class CFileInfoDlg : public QDialog
{
    Q_OBJECT

public:
    CFileInfoDlg(const Task &task, const Texts &texts, QWidget *parent = nullptr);

    QLineEdit *FileNameField() const { return m_file_name; }
    QLineEdit *LengthField() const { return m_length; }
    QPlainTextEdit *VideoField() const { return m_video; }
    QPlainTextEdit *AudioField() const { return m_audio; }
    CSkinButton *OkButton() const { return m_ok; }
    QList<QLabel *> Labels() const { return m_labels; }

    /// The audio field's text: "%d: %s\n" per track, with its ordinal and description.
    static QString AudioText(const Task &task);

private:
    void PlaceControls();

    QList<QLabel *> m_labels;
    QLineEdit *m_file_name;
    QLineEdit *m_length;
    QPlainTextEdit *m_video;
    QPlainTextEdit *m_audio;
    CSkinButton *m_ok;
};

} // namespace quillet
