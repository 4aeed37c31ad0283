// SPDX-License-Identifier: GPL-3.0-or-later
#include "KitAccessibility.h"

#include "CGradientProgress.h"
#include "CLinkLabel.h"
#include "CSkinButton.h"
#include "FieldNames.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QRegularExpression>

#include <algorithm>

namespace quillet {

namespace {

QString WithoutMnemonics(QString text)
{
    // "&&" is a literal ampersand; a single '&' only marks the shortcut letter.
    static const QRegularExpression kMarker(QStringLiteral("&(?!&)"));
    text.remove(kMarker);
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

/// A widget's own accessible name, else the fallback, else what Qt finds (a label's buddy).
QString NameOr(const QAccessibleWidget &iface, const QString &fallback)
{
    QString own = static_cast<QWidget *>(iface.object())->accessibleName();
    if (!own.isEmpty())
        return own;
    if (!fallback.isEmpty())
        return fallback;
    return iface.QAccessibleWidget::text(QAccessible::Name);
}

class SkinButtonAccessible : public QAccessibleWidget
{
public:
    explicit SkinButtonAccessible(CSkinButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    CSkinButton *Button() const { return static_cast<CSkinButton *>(object()); }

    QAccessible::Role role() const override
    {
        switch (Button()->Kind()) {
        case SkinButtonKind::CheckBox:
            return QAccessible::CheckBox;
        case SkinButtonKind::Radio:
            return QAccessible::RadioButton;
        case SkinButtonKind::Push:
            break;
        }
        return QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override
    {
        // The round picture buttons have no caption: their tooltip says what they do.
        if (t == QAccessible::Name) {
            const QString caption = WithoutMnemonics(Button()->text());
            return NameOr(*this, caption.isEmpty() ? Button()->toolTip() : caption);
        }
        if (t == QAccessible::Description && !Button()->text().isEmpty())
            return Button()->toolTip();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (Button()->Kind() != SkinButtonKind::Push) {
            s.checkable = true;
            s.checked = Button()->GetCheck();
        }
        s.pressed = Button()->isDown();
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (Button()->isEnabled())
            names << (Button()->Kind() == SkinButtonKind::Push ? pressAction() : toggleAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (!Button()->isEnabled())
            return;
        if (name == pressAction() || name == toggleAction())
            Button()->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

class LinkLabelAccessible : public QAccessibleWidget
{
public:
    explicit LinkLabelAccessible(CLinkLabel *label)
        : QAccessibleWidget(label, QAccessible::Link)
    { }

    CLinkLabel *Label() const { return static_cast<CLinkLabel *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString tooltip = Label()->toolTip();
            return NameOr(*this, tooltip.isEmpty() ? Label()->text() : tooltip);
        }
        if (t == QAccessible::Value)
            return Label()->Target();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            Label()->OpenTarget();
        else
            QAccessibleWidget::doAction(name);
    }
};

class GradientProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit GradientProgressAccessible(CGradientProgress *bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    { }

    CGradientProgress *Bar() const { return static_cast<CGradientProgress *>(object()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        // The caption is the window's status line: a reader names the bar by what it says.
        if (t == QAccessible::Name)
            return NameOr(*this, Bar()->Caption());
        if (t == QAccessible::Value) {
            const int span = Bar()->maximum() - Bar()->minimum();
            const int percent = span > 0 ? (Bar()->value() - Bar()->minimum()) * 100 / span : 0;
            return QStringLiteral("%1%").arg(std::max(percent, 0));
        }
        if (t == QAccessible::Description && !Bar()->accessibleName().isEmpty())
            return Bar()->Caption();
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return Bar()->value(); }
    void setCurrentValue(const QVariant &) override { }
    QVariant maximumValue() const override { return Bar()->maximum(); }
    QVariant minimumValue() const override { return Bar()->minimum(); }
    QVariant minimumStepSize() const override { return 0; }
};

/// Names the fields of each window as it is shown, once the window's texts are in place.
class WindowShowWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::LanguageChange) {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (widget && widget->isWindow())
                NameFieldsByTheirLabels(widget);
        }
        return false;
    }
};

QAccessibleInterface *KitFactory(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<CSkinButton *>(object))
        return new SkinButtonAccessible(button);
    if (auto *label = qobject_cast<CLinkLabel *>(object))
        return new LinkLabelAccessible(label);
    if (auto *bar = qobject_cast<CGradientProgress *>(object))
        return new GradientProgressAccessible(bar);
    return nullptr;
}

/// What the kit installs in the application, taken out again when the kit's code goes away
/// while the application lives on: the kit is also linked into libraries loaded by name, and
/// a factory or a filter left behind by an unloaded library would be called into nothing.
class KitInstallation
{
public:
    KitInstallation()
    {
        QAccessible::installFactory(KitFactory);
        if (qApp) {
            // Not the application's child: it is deleted here, never by the application.
            m_watcher = new WindowShowWatcher();
            qApp->installEventFilter(m_watcher);
        }
    }
    KitInstallation(const KitInstallation &) = delete;
    KitInstallation &operator=(const KitInstallation &) = delete;
    ~KitInstallation()
    {
        // At the process's end the application (and Qt's factory list) may be gone already;
        // then there is nothing left to call the kit.
        if (!QCoreApplication::instance())
            return;
        QAccessible::removeFactory(KitFactory);
        if (m_watcher) {
            qApp->removeEventFilter(m_watcher);
            delete m_watcher;
        }
    }

private:
    QObject *m_watcher = nullptr;
};

} // namespace

void InstallKitAccessibility()
{
    static const KitInstallation kInstallation;
}

} // namespace quillet
