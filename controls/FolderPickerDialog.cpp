// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderPickerDialog.h"

#include "CFolderPicker.h"
#include "NameOnlyIconProvider.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <vector>

namespace quillet {

namespace {

struct GridEntry
{
    QLayoutItem *item;
    int row, column, row_span, column_span;
};

// Moves every item of the dialog's grid one row down, leaving row 0 free for the instruction.
void OpenTopRow(QGridLayout *grid)
{
    std::vector<GridEntry> entries;
    for (int i = 0; i < grid->count(); ++i) {
        GridEntry entry{grid->itemAt(i), 0, 0, 0, 0};
        grid->getItemPosition(i, &entry.row, &entry.column, &entry.row_span, &entry.column_span);
        entries.push_back(entry);
    }
    while (grid->count() > 0)
        grid->takeAt(0);
    for (const GridEntry &e : entries)
        grid->addItem(e.item, e.row + 1, e.column, e.row_span, e.column_span);
}

bool IsInside(const QString &path, const QString &root)
{
    const QString clean_root = QDir::cleanPath(root);
    const QString clean_path = QDir::cleanPath(path);
    return clean_path == clean_root
        || clean_path.startsWith(
            clean_root.endsWith(QLatin1Char('/')) ? clean_root : clean_root + QLatin1Char('/'));
}

} // namespace

FolderPickerDialog::FolderPickerDialog(CFolderPicker &picker, QWidget *owner)
    : QFileDialog(owner)
    , m_picker(picker)
    , m_instruction(new QLabel(picker.InstructionText(), this))
    , m_status(new QLabel(this))
{
    // Our own widgets are placed inside the dialog, which needs Qt's own dialog, not the
    // desktop's.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setIconProvider(NameOnlyIconProvider::Shared());
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (!picker.Caption().isEmpty())
        setWindowTitle(picker.Caption());

    m_instruction->setWordWrap(true);
    m_status->setWordWrap(true);
    m_status->setVisible(picker.HasStatusLine());
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        OpenTopRow(grid);
        grid->addWidget(m_instruction, 0, 0, 1, grid->columnCount());
        grid->addWidget(m_status, grid->rowCount(), 0, 1, grid->columnCount());
    }

    const QString root = picker.RootFolder();
    if (!root.isEmpty()) {
        setSidebarUrls({QUrl::fromLocalFile(root)});
        connect(this, &QFileDialog::directoryEntered, this, &FolderPickerDialog::KeepInsideRoot);
    }
    const QString initial = CFolderPicker::TrimInitialFolder(picker.InitialFolder());
    if (!initial.isEmpty())
        setDirectory(initial);
    else if (!root.isEmpty())
        setDirectory(root);

    // The dialog updates its own OK button on the same changes; deferring lets our verdict be
    // the last word.
    const auto later = [this] { QTimer::singleShot(0, this, &FolderPickerDialog::Revalidate); };
    connect(this, &QFileDialog::currentChanged, this, later);
    connect(this, &QFileDialog::directoryEntered, this, later);
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        connect(edit, &QLineEdit::textChanged, this, later);
    later();
}

QString FolderPickerDialog::PendingFolder() const
{
    const QStringList chosen = selectedFiles();
    const QString path = chosen.isEmpty() ? directory().absolutePath() : chosen.first();
    return QFileInfo(path).isDir() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath())
                                   : QString();
}

bool FolderPickerDialog::Validate(QString &status) const
{
    return m_picker.Validate(PendingFolder(), status);
}

void FolderPickerDialog::Revalidate()
{
    QString status;
    const bool accepted = Validate(status);
    if (m_picker.HasStatusLine())
        m_status->setText(status);
    if (auto *buttons = findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Open))
            ok->setEnabled(accepted);
    }
}

void FolderPickerDialog::KeepInsideRoot(const QString &directory)
{
    const QString root = m_picker.RootFolder();
    if (!IsInside(directory, root))
        setDirectory(root);
}

void FolderPickerDialog::accept()
{
    // The OK button follows Validate, but Enter in the name field reaches here directly.
    QString status;
    if (!Validate(status)) {
        if (m_picker.HasStatusLine())
            m_status->setText(status);
        return;
    }
    QFileDialog::accept();
}

} // namespace quillet
