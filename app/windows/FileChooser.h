// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ConverterApp.h"

#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace quillet {

/// The file and folder dialogs the main window asks through (replaced in tests).
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    /// Existing files, several at once, in the order the dialog lists them; empty when cancelled.
    virtual std::vector<std::string> ChooseFiles(std::string_view title, std::string_view initial,
                                                 const std::vector<FileFilter> &filters)
        = 0;
    /// A folder, or nothing when cancelled.
    virtual std::optional<std::string>
    ChooseFolder(std::string_view title, std::string_view instruction, std::string_view initial)
        = 0;
};

/// The desktop's file chooser portal where it answers, else the toolkit's open-file dialog and
/// the control kit's folder picker, over owner.
class DialogFileChooser : public FileChooser
{
public:
    explicit DialogFileChooser(QWidget *owner)
        : m_owner(owner)
    { }

    std::vector<std::string> ChooseFiles(std::string_view title, std::string_view initial,
                                         const std::vector<FileFilter> &filters) override;
    std::optional<std::string> ChooseFolder(std::string_view title, std::string_view instruction,
                                            std::string_view initial) override;

    /// The filters as the Qt dialog takes them: "All support files (*.ts *.m2ts ...)".
    static QStringList NameFilters(const std::vector<FileFilter> &filters);

private:
    QWidget *m_owner;
};

} // namespace quillet
