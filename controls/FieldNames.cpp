// SPDX-License-Identifier: GPL-3.0-or-later
#include "FieldNames.h"

#include "CGradientProgress.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>

namespace quillet {

namespace {

// Marks a name this module gave, so a later pass may replace it but never the window's own.
constexpr const char *kGivenName = "quilletFieldName";

bool IsField(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
        || qobject_cast<const QComboBox *>(w) || qobject_cast<const QPlainTextEdit *>(w)
        || qobject_cast<const QAbstractItemView *>(w)
        || (qobject_cast<const QProgressBar *>(w) && !qobject_cast<const CGradientProgress *>(w));
}

QString Caption(const QWidget *w)
{
    QString text;
    if (const auto *label = qobject_cast<const QLabel *>(w))
        text = label->text();
    else if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w))
        text = static_cast<const QAbstractButton *>(w)->text();
    static const QRegularExpression kMarker(QStringLiteral("&(?!&)"));
    text = text.remove(kMarker).trimmed();
    // A lone sign between two fields ("x", ":") names neither.
    return text.size() < 2 ? QString() : text;
}

bool HasBuddyLabel(const QWidget *field)
{
    const QWidget *parent = field->parentWidget();
    for (const QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label->buddy() == field)
            return true;
    }
    return false;
}

QWidget *CaptionBeside(const QWidget *field, const QList<QWidget *> &siblings)
{
    const QRect f = field->geometry();
    QWidget *left = nullptr;
    QWidget *above = nullptr;
    for (QWidget *w : siblings) {
        if (w == field || Caption(w).isEmpty())
            continue;
        const QRect g = w->geometry();
        const bool same_row = g.center().y() >= f.top() && g.center().y() <= f.bottom();
        if (same_row && g.right() <= f.left() + 4) {
            if (!left || g.right() > left->geometry().right())
                left = w;
        } else if (qobject_cast<const QLabel *>(w) && !static_cast<QLabel *>(w)->buddy()
                   && g.bottom() <= f.top() + 2 && f.top() - g.bottom() <= g.height()
                   && g.left() < f.right() && g.right() > f.left()) {
            // Only a free label just above: one line's height away at most.
            if (!above || g.bottom() > above->geometry().bottom())
                above = w;
        }
    }
    return left ? left : above;
}

QString GroupAround(const QWidget *field, const QList<QWidget *> &siblings)
{
    for (const QWidget *w : siblings) {
        const auto *group = qobject_cast<const QGroupBox *>(w);
        if (group && group->geometry().contains(field->geometry().center()))
            return group->title().remove(QRegularExpression(QStringLiteral("&(?!&)"))).trimmed();
    }
    if (const auto *group = qobject_cast<const QGroupBox *>(field->parentWidget()))
        return group->title();
    return {};
}

} // namespace

void NameFieldsByTheirLabels(QWidget *window)
{
    for (QWidget *field : window->findChildren<QWidget *>()) {
        if (!IsField(field) || !field->parentWidget() || field->isWindow())
            continue;
        const bool given = field->property(kGivenName).toBool();
        if ((!field->accessibleName().isEmpty() && !given) || HasBuddyLabel(field))
            continue;
        const QList<QWidget *> siblings
            = field->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QWidget *caption = CaptionBeside(field, siblings);
        const QString beside = caption ? Caption(caption) : QString();
        const QString group = GroupAround(field, siblings);
        // A label of its own becomes the field's buddy: readers then follow the relation (a
        // drop-down's name is its current entry, so the relation is what names it).
        auto *label = qobject_cast<QLabel *>(caption);
        if (label && !label->buddy() && (group.isEmpty() || group == beside) && !given) {
            label->setBuddy(field);
            continue;
        }
        QString name = beside;
        if (!group.isEmpty() && group != beside)
            name = beside.isEmpty() ? group : group + QStringLiteral(": ") + beside;
        if (name.isEmpty())
            continue;
        field->setAccessibleName(name);
        field->setProperty(kGivenName, true);
    }
}

} // namespace quillet
