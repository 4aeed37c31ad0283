// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileChooser.h"

#include "CFolderPicker.h"
#include "NameOnlyIconProvider.h"
#include "PortalFileChooser.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QRegularExpression>

namespace quillet {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

/// The desktop's chooser on a real display when its portal answers; the off-screen and minimal
/// platforms have no desktop to draw it.
bool UsePortal()
{
    const QString platform = QGuiApplication::platformName();
    return (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
        && PortalFileChooser::Available();
}

} // namespace

QStringList DialogFileChooser::NameFilters(const std::vector<FileFilter> &filters)
{
    QStringList names;
    for (const FileFilter &filter : filters) {
        // "*.ts; *.m2ts" becomes "*.ts *.m2ts", the separator Qt's dialogs take.
        const QStringList patterns
            = QString::fromStdString(filter.pattern)
                  .split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
        names << QStringLiteral("%1 (%2)").arg(QString::fromStdString(filter.description),
                                               patterns.join(QLatin1Char(' ')));
    }
    return names;
}

std::vector<std::string> DialogFileChooser::ChooseFiles(std::string_view title,
                                                        std::string_view initial,
                                                        const std::vector<FileFilter> &filters)
{
    if (UsePortal())
        if (auto chosen = PortalFileChooser(m_owner).ChooseFiles(title, initial, filters))
            return *chosen;
    const QStringList names = NameFilters(filters);
    QFileDialog dialog(m_owner, FromUtf8(title), FromUtf8(initial));
    dialog.setIconProvider(NameOnlyIconProvider::Shared());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(names);
    if (!names.isEmpty())
        dialog.selectNameFilter(names.front());
    const QFileInfo start(FromUtf8(initial));
    if (start.isFile()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    std::vector<std::string> chosen;
    if (dialog.exec() != QDialog::Accepted)
        return chosen;
    for (const QString &file : dialog.selectedFiles())
        chosen.push_back(file.toStdString());
    return chosen;
}

std::optional<std::string> DialogFileChooser::ChooseFolder(std::string_view title,
                                                           std::string_view instruction,
                                                           std::string_view initial)
{
    if (UsePortal())
        if (auto chosen = PortalFileChooser(m_owner).ChooseFolder(title, initial))
            return chosen->empty() ? std::nullopt : std::optional(*chosen);
    CFolderPicker picker;
    picker.SetCaption(FromUtf8(title));
    picker.SetInstructionText(FromUtf8(instruction));
    picker.SetInitialFolder(FromUtf8(initial));
    if (picker.Browse(m_owner) != 1)
        return std::nullopt;
    return picker.Folder().toStdString();
}

} // namespace quillet
