// SPDX-License-Identifier: GPL-3.0-or-later
#include "CFileInfoDlg.h"

#include "CSkinButton.h"
#include "DialogButton.h"
#include "DialogLook.h"
#include "DialogUnits.h"
#include "VeneerBinding.h"
#include "app/TaskListController.h"
#include "core/Task.h"
#include "platform/Paths.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace quillet {

namespace {

// The dialog's template, in dialog units: labels in a column on the left, fields beside them.
constexpr int kWidth = 280;
constexpr int kHeight = 186;
constexpr int kLabelLeft = 7;
constexpr int kLabelWidth = 66;
constexpr int kFieldLeft = 75;
constexpr int kFieldWidth = 198;
constexpr QRect kRows[] = {{0, 8, 0, 12}, {0, 24, 0, 12}, {0, 40, 0, 58}, {0, 102, 0, 58}};
constexpr QRect kOkRect(223, 166, 50, 14);

} // namespace

CFileInfoDlg::CFileInfoDlg(const Task &task, const Texts &texts, QWidget *parent)
    : QDialog(parent)
    , m_file_name(new QLineEdit(this))
    , m_length(new QLineEdit(this))
    , m_video(new QPlainTextEdit(this))
    , m_audio(new QPlainTextEdit(this))
    , m_ok(new CSkinButton(this))
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(DialogFont());
    setWindowTitle(UiText(texts, CataloguedKey("FILEINFO_DLG", "strTitleInfo")));
    for (const LanguageKey *key : {&CataloguedKey("FILEINFO_DLG", "strFileNameInfo"),
                                   &CataloguedKey("FILEINFO_DLG", "strLengthInfo"),
                                   &CataloguedKey("FILEINFO_DLG", "strVideoInfo"),
                                   &CataloguedKey("FILEINFO_DLG", "strAudioInfo")}) {
        auto *label = new QLabel(UiText(texts, *key), this);
        // Drawn like the main window's labels: transparent, in the muted blue.
        ApplyLabelLook(label);
        m_labels << label;
    }

    m_file_name->setText(
        QString::fromStdString(std::string(platform::FileNameOf(task.source_path))));
    m_length->setText(QString::fromStdString(TaskListController::DurationText(task.duration_s)));
    m_video->setPlainText(QString::fromStdString(task.video_description.str()));
    m_audio->setPlainText(AudioText(task));
    for (QLineEdit *field : {m_file_name, m_length})
        field->setReadOnly(true);
    for (QPlainTextEdit *field : {m_video, m_audio})
        field->setReadOnly(true);

    m_ok->setText(UiText(texts, CataloguedKey("FILEINFO_DLG", "btnOkInfo")));
    m_ok->SetTooltipText(UiText(texts, CataloguedKey("FILEINFO_DLG", "btnOkTooltip")));
    ApplyDialogButtonLook(m_ok);
    m_ok->setAutoDefault(false);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    PlaceControls();
    m_ok->setFocus();
    TheVeneer().AddFilterHook(this);
}

QString CFileInfoDlg::AudioText(const Task &task)
{
    QString text;
    for (const AudioTrack &track : task.audio_tracks)
        text += QStringLiteral("%1: %2\n")
                    .arg(track.ordinal)
                    .arg(QString::fromStdString(track.description.str()));
    return text;
}

void CFileInfoDlg::PlaceControls()
{
    const DialogUnits du(font());
    // The label column widens for a language whose labels are longer; the fields and the
    // dialog grow with it, so no label is cut.
    int label_width = du.X(kLabelWidth);
    const QFontMetrics metrics(font());
    for (QLabel *label : m_labels)
        label_width = std::max(label_width, metrics.horizontalAdvance(label->text()) + 2);
    const int extra = label_width - du.X(kLabelWidth);
    QWidget *fields[] = {m_file_name, m_length, m_video, m_audio};
    for (int i = 0; i < 4; ++i) {
        const QRect row = du.Rect(kRows[i]);
        m_labels[i]->setGeometry(du.X(kLabelLeft), row.top() + du.Y(2), label_width, du.Y(8));
        fields[i]->setGeometry(du.X(kFieldLeft) + extra, row.top(), du.X(kFieldWidth),
                               row.height());
    }
    m_ok->setGeometry(du.Rect(kOkRect).translated(extra, 0));
    setFixedSize(du.X(kWidth) + extra, du.Y(kHeight));
}

} // namespace quillet
