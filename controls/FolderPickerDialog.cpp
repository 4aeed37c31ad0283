// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderPickerDialog.h"

#include "CFolderPicker.h"

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
    int row, column, rowSpan, columnSpan;
};

// Moves every item of the dialog's grid one row down, leaving row 0 free for the instruction.
void openTopRow(QGridLayout *grid)
{
    std::vector<GridEntry> entries;
    for (int i = 0; i < grid->count(); ++i) {
        GridEntry entry{grid->itemAt(i), 0, 0, 0, 0};
        grid->getItemPosition(i, &entry.row, &entry.column, &entry.rowSpan, &entry.columnSpan);
        entries.push_back(entry);
    }
    while (grid->count() > 0)
        grid->takeAt(0);
    for (const GridEntry &e : entries)
        grid->addItem(e.item, e.row + 1, e.column, e.rowSpan, e.columnSpan);
}

bool isInside(const QString &path, const QString &root)
{
    const QString cleanRoot = QDir::cleanPath(root);
    const QString cleanPath = QDir::cleanPath(path);
    return cleanPath == cleanRoot
        || cleanPath.startsWith(
            cleanRoot.endsWith(QLatin1Char('/')) ? cleanRoot : cleanRoot + QLatin1Char('/'));
}

} // namespace

FolderPickerDialog::FolderPickerDialog(CFolderPicker &picker, QWidget *owner)
    : QFileDialog(owner)
    , m_picker(picker)
    , m_instruction(new QLabel(picker.instructionText(), this))
    , m_status(new QLabel(this))
{
    // Our own widgets are placed inside the dialog, which needs Qt's own dialog, not the
    // desktop's.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (!picker.caption().isEmpty())
        setWindowTitle(picker.caption());

    m_instruction->setWordWrap(true);
    m_status->setWordWrap(true);
    m_status->setVisible(picker.hasStatusLine());
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        openTopRow(grid);
        grid->addWidget(m_instruction, 0, 0, 1, grid->columnCount());
        grid->addWidget(m_status, grid->rowCount(), 0, 1, grid->columnCount());
    }

    const QString root = picker.rootFolder();
    if (!root.isEmpty()) {
        setSidebarUrls({QUrl::fromLocalFile(root)});
        connect(this, &QFileDialog::directoryEntered, this, &FolderPickerDialog::keepInsideRoot);
    }
    const QString initial = CFolderPicker::TrimInitialFolder(picker.initialFolder());
    if (!initial.isEmpty())
        setDirectory(initial);
    else if (!root.isEmpty())
        setDirectory(root);

    // The dialog updates its own OK button on the same changes; deferring lets our verdict be
    // the last word.
    const auto later = [this] { QTimer::singleShot(0, this, &FolderPickerDialog::revalidate); };
    connect(this, &QFileDialog::currentChanged, this, later);
    connect(this, &QFileDialog::directoryEntered, this, later);
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        connect(edit, &QLineEdit::textChanged, this, later);
    later();
}

QString FolderPickerDialog::pendingFolder() const
{
    const QStringList chosen = selectedFiles();
    const QString path = chosen.isEmpty() ? directory().absolutePath() : chosen.first();
    return QFileInfo(path).isDir() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath())
                                   : QString();
}

bool FolderPickerDialog::validate(QString &status) const
{
    return m_picker.Validate(pendingFolder(), status);
}

void FolderPickerDialog::revalidate()
{
    QString status;
    const bool accepted = validate(status);
    if (m_picker.hasStatusLine())
        m_status->setText(status);
    if (auto *buttons = findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Open))
            ok->setEnabled(accepted);
    }
}

void FolderPickerDialog::keepInsideRoot(const QString &directory)
{
    const QString root = m_picker.rootFolder();
    if (!isInside(directory, root))
        setDirectory(root);
}

void FolderPickerDialog::accept()
{
    // The OK button follows Validate, but Enter in the name field reaches here directly.
    QString status;
    if (!validate(status)) {
        if (m_picker.hasStatusLine())
            m_status->setText(status);
        return;
    }
    QFileDialog::accept();
}

} // namespace quillet
