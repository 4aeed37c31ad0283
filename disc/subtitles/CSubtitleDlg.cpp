// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/CSubtitleDlg.h"

#include "disc/subtitles/NameFilters.h"

#include "CSkinButton.h"
#include "DialogButton.h"
#include "DialogLook.h"
#include "DialogUnits.h"
#include "VeneerBinding.h"
#include "core/Prompter.h"
#include "core/TaskList.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace quillet {

namespace {

consteval const LanguageKey &Key(std::string_view key)
{
    return CataloguedKey("SUBTITLE_DLG", key);
}

/// Paths are kept as the file system's bytes; the window shows them decoded.
QString ShownPath(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

CSubtitleDlg::CSubtitleDlg(const Texts &texts, Prompter &prompter, SubtitleStyleEditor style_editor,
                           std::string working_path, std::vector<std::string> candidates,
                           QWidget *parent)
    : QDialog(parent)
    , m_choice(std::move(working_path), std::move(candidates))
    , m_prompter(prompter)
    , m_style_editor(std::move(style_editor))
    , m_list(new QListWidget(this))
    , m_path(new QLineEdit(this))
    , m_add(new CSkinButton(this))
    , m_style(new CSkinButton(this))
    , m_ok(new CSkinButton(this))
    , m_cancel(new CSkinButton(this))
{
    ApplyDialogLook(this);
    setWindowTitle(UiText(texts, Key("strTitleInfo")));
    const DialogUnits du(font());
    setFixedSize(du.X(187), du.Y(131));

    // Fixed text: the label is not localised.
    auto *label = new QLabel(UiText(texts, Key("strSubtitleFileInfo")), this);
    label->setGeometry(du.Rect(7, 7, 35, 8));
    label->setBuddy(m_list);
    m_path->setAccessibleName(label->text());

    // Created in tab order: list, path, "...", Subtitle style, OK, Cancel.
    m_list->setGeometry(du.Rect(7, 20, 173, 62));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const std::string &row : m_choice.RowTexts()) {
        auto *item = new QListWidgetItem(ShownPath(row), m_list);
        // The check follows the selection; a click on the box itself does not toggle it.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    m_path->setGeometry(du.Rect(7, 92, 149, 14));
    m_path->setReadOnly(true);
    m_add->setGeometry(du.Rect(159, 92, 21, 14));
    m_style->setGeometry(du.Rect(7, 110, 57, 14));
    m_ok->setGeometry(du.Rect(79, 110, 50, 14));
    m_cancel->setGeometry(du.Rect(130, 110, 50, 14));
    m_ok->setDefault(true);

    SetUpTextButton(m_cancel, UiText(texts, Key("btnCancelInfo")),
                    UiText(texts, Key("btnCancelTooltip")));
    SetUpTextButton(m_ok, UiText(texts, Key("btnOKInfo")), UiText(texts, Key("btnOKTooltip")));
    SetUpTextButton(m_style, UiText(texts, Key("btnSubtitleStyleInfo")),
                    UiText(texts, Key("btnSubtitleStyleTooltip")));
    SetUpTextButton(m_add, UiText(texts, Key("btnAddSubtitleInfo")),
                    UiText(texts, Key("btnAddSubtitleTooltip")));
    ShowPath();

    connect(m_list, &QListWidget::itemSelectionChanged, this, &CSubtitleDlg::SelectionChanged);
    connect(m_add, &QPushButton::clicked, this, &CSubtitleDlg::Add);
    connect(m_style, &QPushButton::clicked, this, &CSubtitleDlg::EditStyle);
    connect(m_ok, &QPushButton::clicked, this, &CSubtitleDlg::Ok);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    TheVeneer().AddFilterHook(this);
}

bool CSubtitleDlg::EditSelectedTask(QWidget *owner, TaskList &tasks,
                                    const std::vector<int> &selected_rows, const Texts &texts,
                                    Prompter &prompter, const SubtitleStyleEditor &style_editor)
{
    if (selected_rows.size() != 1)
        return false;
    Task *task = tasks.Get(selected_rows.front());
    if (!task)
        return false;
    CSubtitleDlg dialog(texts, prompter, style_editor, task->subtitle_path,
                        task->subtitle_candidates, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The candidates are the extraction's record and are never written back.
    task->subtitle_path = dialog.WorkingPath();
    return true;
}

void CSubtitleDlg::SelectionChanged()
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    m_choice.SelectRow(selected.isEmpty() ? -1 : m_list->row(selected.front()));
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setCheckState(row == m_choice.CheckedRow() ? Qt::Checked
                                                                      : Qt::Unchecked);
    ShowPath();
}

void CSubtitleDlg::ShowPath()
{
    m_path->setText(ShownPath(m_choice.WorkingPath()));
}

void CSubtitleDlg::Add()
{
    // Fixed text: the filter is the same in every language.
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(QtNameFilters(SubtitleChoice::kFilter));
    // The descriptions already name the extensions.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_choice.ChooseFile(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
    ShowPath();
}

void CSubtitleDlg::Ok()
{
    switch (m_choice.Ok()) {
    case SubtitleChoice::OkResult::StayOpen:
        return;
    case SubtitleChoice::OkResult::CannotOpen:
        // Fixed text, with the program's caption.
        m_prompter.Tell(SubtitleChoice::kCannotOpen, {}, Prompter::Icon::Warning);
        return;
    case SubtitleChoice::OkResult::Accept:
        accept();
        return;
    }
}

void CSubtitleDlg::EditStyle()
{
    // The library finds this dialog again by its native window id to own its own dialog.
    // The library's C entry point takes the native window id as a pointer.
    m_style_editor.Edit(reinterpret_cast<void *>(winId())); // NOLINT(performance-no-int-to-ptr)
}

} // namespace quillet
