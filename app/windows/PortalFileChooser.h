// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ConverterApp.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace quillet {

/**
 * The desktop's own file chooser through the file chooser portal (org.freedesktop.portal
 * .FileChooser on the session bus): the dialog a Wayland or sandboxed desktop offers, drawn by
 * the desktop and allowed to see what the user grants. The toolkit's native dialogs reach the
 * portal only through a platform theme that Debian's Qt does not ship, so the window asks it
 * itself.
 *
 * Each call shows the portal's dialog and waits for its answer in a local event loop, with the
 * owner's window disabled so that nothing in it can be used while the desktop's dialog is up.
 */
class PortalFileChooser
{
public:
    explicit PortalFileChooser(QWidget *owner)
        : m_owner(owner)
    { }

    /// Whether a portal with a file chooser answers on the session bus.
    static bool Available();

    /// Existing files, several at once; empty when cancelled. nullopt when the portal failed
    /// (the caller falls back to its own dialog).
    std::optional<std::vector<std::string>> ChooseFiles(std::string_view title,
                                                        std::string_view initial,
                                                        const std::vector<FileFilter> &filters);
    /// A folder; an empty string when cancelled, nullopt when the portal failed.
    std::optional<std::string> ChooseFolder(std::string_view title, std::string_view initial);

private:
    struct Request;
    std::optional<std::vector<std::string>> Open(const Request &request);

    QWidget *m_owner;
};

} // namespace quillet
