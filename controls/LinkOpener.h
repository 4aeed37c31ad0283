// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quillet {

/// Result codes of opening a link: anything above kLinkOpened is success, anything at or below
/// it names the cause of the failure.
inline constexpr int kLinkOpened = 32;
inline constexpr int kLinkSucceeded = 33;
inline constexpr int kLinkOutOfResources = 0;
inline constexpr int kLinkFileNotFound = 2;
inline constexpr int kLinkPathNotFound = 3;
inline constexpr int kLinkAccessDenied = 5;
inline constexpr int kLinkNoAssociation = 31;

/// Opens a web address or a file with the desktop's handler for it. Local files are checked
/// first so a missing file or folder is reported as such rather than handed to a viewer that
/// fails later. When the desktop service refuses, web addresses go to the browsers named in
/// BROWSER and everything else to xdg-open.
/// @return kLinkSucceeded, or the code of the failure.
int OpenLinkTarget(const QString &target);

/// The fixed English explanation of a failure code.
QString LinkErrorText(int code);

/// The whole message shown when a link cannot be opened: "Unable to open hyperlink:", an
/// empty line, and the explanation.
QString LinkFailureMessage(int code);

} // namespace quillet
