// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessibleAudit.h"

#include "CGradientProgress.h"
#include "CLinkLabel.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaEnum>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace quillet::test {

namespace {

// Roles a reader must hear a name for.
constexpr QAccessible::Role kNamedRoles[]
    = {QAccessible::Button,   QAccessible::CheckBox,     QAccessible::RadioButton,
       QAccessible::ComboBox, QAccessible::EditableText, QAccessible::SpinBox,
       QAccessible::Slider,   QAccessible::ProgressBar,  QAccessible::Link,
       QAccessible::PageTab,  QAccessible::ListItem,     QAccessible::ColumnHeader,
       QAccessible::MenuItem, QAccessible::ButtonMenu,   QAccessible::ButtonDropDown};

QAccessible::Role SkinButtonRole(const QWidget *w)
{
    switch (static_cast<const CSkinButton *>(w)->Kind()) {
    case SkinButtonKind::CheckBox:
        return QAccessible::CheckBox;
    case SkinButtonKind::Radio:
        return QAccessible::RadioButton;
    case SkinButtonKind::Push:
        break;
    }
    return QAccessible::Button;
}

/// The role each kind of control must report, most derived kind first.
QAccessible::Role ExpectedRole(const QWidget *w)
{
    struct Kind
    {
        std::function<bool(const QWidget *)> is;
        std::function<QAccessible::Role(const QWidget *)> role;
    };
    const auto fixed = [](QAccessible::Role r) { return [r](const QWidget *) { return r; }; };
    static const Kind kKinds[] = {
        {[](const QWidget *x) { return qobject_cast<const CSkinButton *>(x); }, SkinButtonRole},
        {[](const QWidget *x) { return qobject_cast<const CLinkLabel *>(x); },
         fixed(QAccessible::Link)},
        {[](const QWidget *x) { return qobject_cast<const CGradientProgress *>(x); },
         fixed(QAccessible::ProgressBar)},
        {[](const QWidget *x) { return qobject_cast<const CProfileComboBox *>(x); },
         fixed(QAccessible::ComboBox)},
        {[](const QWidget *x) { return qobject_cast<const QCheckBox *>(x); },
         fixed(QAccessible::CheckBox)},
        {[](const QWidget *x) { return qobject_cast<const QRadioButton *>(x); },
         fixed(QAccessible::RadioButton)},
        {[](const QWidget *x) { return qobject_cast<const QComboBox *>(x); },
         fixed(QAccessible::ComboBox)},
        {[](const QWidget *x) { return qobject_cast<const QLineEdit *>(x); },
         fixed(QAccessible::EditableText)},
        {[](const QWidget *x) { return qobject_cast<const QTreeWidget *>(x); },
         fixed(QAccessible::Tree)},
        {[](const QWidget *x) { return qobject_cast<const QListWidget *>(x); },
         fixed(QAccessible::List)},
        {[](const QWidget *x) { return qobject_cast<const QTabBar *>(x); },
         fixed(QAccessible::PageTabList)},
    };
    for (const Kind &kind : kKinds) {
        if (kind.is(w))
            return kind.role(w);
    }
    return QAccessible::NoRole;
}

QString RoleName(QAccessible::Role role)
{
    static const QMetaEnum kRoles = QMetaEnum::fromType<QAccessible::Role>();
    const char *key = kRoles.valueToKey(role);
    return key ? QString::fromLatin1(key) : QString::number(role);
}

void Walk(QAccessibleInterface *iface, int depth, AccessibleAudit &audit)
{
    if (!iface || !iface->isValid() || iface->state().invisible || depth > 12)
        return;
    const QAccessible::Role role = iface->role();
    const QString name = iface->text(QAccessible::Name);
    const QString value = iface->text(QAccessible::Value);
    auto *widget = qobject_cast<QWidget *>(iface->object());
    const QString what = QStringLiteral("%1 '%2'%3")
                             .arg(RoleName(role), name,
                                  value.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(value));
    audit.tree << QString(qsizetype{2} * depth, QLatin1Char(' ')) + what;
    const QString where = widget
        ? QStringLiteral("%1 %2").arg(QString::fromLatin1(widget->metaObject()->className()),
                                      widget->objectName())
        : what;

    if (name.trimmed().isEmpty()
        && std::find(std::begin(kNamedRoles), std::end(kNamedRoles), role) != std::end(kNamedRoles))
        audit.faults << QStringLiteral("no name: %1 (%2)").arg(where, RoleName(role));
    if (widget && !widget->isWindow()) {
        const QAccessible::Role expected = ExpectedRole(widget);
        if (expected != QAccessible::NoRole && expected != role)
            audit.faults << QStringLiteral("role %1 instead of %2: %3")
                                .arg(RoleName(role), RoleName(expected), where);
        const bool vague = role == QAccessible::Client || role == QAccessible::Pane
            || role == QAccessible::NoRole;
        if (vague && (widget->focusPolicy() & Qt::TabFocus) != 0
            && !qobject_cast<QAbstractScrollArea *>(widget))
            audit.faults << QStringLiteral("focusable without a role: %1").arg(where);
        if (role == QAccessible::ProgressBar && !iface->valueInterface())
            audit.faults << QStringLiteral("progress without a value: %1").arg(where);
    }
    for (int i = 0; i < iface->childCount(); ++i)
        Walk(iface->child(i), depth + 1, audit);
}

} // namespace

AccessibleAudit AuditWindow(QWidget *window)
{
    AccessibleAudit audit;
    Walk(QAccessible::queryAccessibleInterface(window), 0, audit);
    return audit;
}

} // namespace quillet::test
