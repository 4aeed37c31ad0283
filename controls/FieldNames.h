// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace quillet {

/// Names the fields of window (edits, lists, drop-downs, progress bars) for screen readers by
/// what a sighted user reads beside them: the label or check box on their left, else the label
/// above, after the title of the group box around them ("Bit rate: Custom"). The windows place
/// their controls by dialog units rather than in layouts, so the place is what ties a field to
/// its text. A name the window sets itself is kept; a name given here is replaced by the next
/// pass. The kit runs it on every window as it is shown (InstallKitAccessibility).
void NameFieldsByTheirLabels(QWidget *window);

} // namespace quillet
