// SPDX-License-Identifier: GPL-3.0-or-later
#include "SheetTestSupport.h"

#include "core/ProfileFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

namespace quillet::test {

UiScript::UiScript(int timeout_ms)
{
    qApp->installEventFilter(this);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        if (m_steps.empty())
            return;
        m_timed_out = true;
        CloseEverything();
    });
    m_watchdog.start(timeout_ms);
}

UiScript::~UiScript()
{
    qApp->removeEventFilter(this);
}

bool UiScript::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && !m_steps.empty()) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget != nullptr && widget->isWindow() && m_steps.front().matches(widget)) {
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            // Act once the window's own event loop runs, as a user would.
            QPointer<QWidget> target(widget);
            QTimer::singleShot(0, this, [target, step] {
                if (target)
                    step.act(target);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

void UiScript::CloseEverything()
{
    // Each pass closes the innermost window; the loop ends when none is left.
    for (int guard = 0; guard < 20; ++guard) {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialog->reject();
        } else {
            break;
        }
        QApplication::processEvents();
    }
    // Leave the timer going for windows that open after this one closed.
    m_watchdog.start(1000);
}

void ShowActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

void Click(QAbstractButton *button)
{
    ASSERT_NE(button, nullptr);
    const bool indicator = qobject_cast<QCheckBox *>(button) != nullptr
        || qobject_cast<QRadioButton *>(button) != nullptr;
    const QPoint where = indicator ? QPoint(6, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, where);
}

void ChooseMenuItem(QMenu *menu, int index)
{
    QAction *action = menu->actions().value(index);
    ASSERT_NE(action, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

void ClickTab(QTabBar *tabs, int index)
{
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

void TypeInto(QLineEdit *edit, const QString &text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

std::filesystem::path SourceIni(const std::string &file)
{
    return std::filesystem::path(QUILLET_SOURCE_DIR) / "resources" / "ini" / file;
}

std::filesystem::path SourceLanguageFolder()
{
    return std::filesystem::path(QUILLET_SOURCE_DIR) / "resources" / "language";
}

ProfileRecord LoadProfile(const std::filesystem::path &file, const std::string &section)
{
    ProfileRecord record;
    ProfileFile::Read(section, record, file);
    record.profile_path = file.string();
    return record;
}

} // namespace quillet::test
