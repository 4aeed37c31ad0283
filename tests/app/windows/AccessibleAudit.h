// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace quillet::test {

/// What a reader learns of one window: every visible node of its accessible tree as a line
/// ("  role 'name' [value]", indented by depth), and what it would stumble on: a control without
/// a name, with another role than its kind, or a focusable widget no role describes.
struct AccessibleAudit
{
    QStringList tree;
    QStringList faults;
};

AccessibleAudit AuditWindow(QWidget *window);

} // namespace quillet::test
