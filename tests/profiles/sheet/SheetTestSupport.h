// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"
#include "core/Prompter.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QMenu;
class QTabBar;

namespace quillet::test {

/// Records what the user would have been told; Ask answers No.
struct RecordingPrompter : Prompter
{
    std::vector<std::string> told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

/**
 * Answers windows the code under test opens and waits on (the sheet, the naming dialog, the
 * save menu, the colour dialog): each step acts on the next window of its type that is shown,
 * once the window's own event loop runs. A watchdog closes whatever is still open when a step
 * never comes, so a broken flow fails instead of hanging.
 */
class UiScript : public QObject
{
public:
    explicit UiScript(int timeout_ms = 30000);
    ~UiScript() override;

    template<class W> UiScript &Then(std::function<void(W *)> action)
    {
        m_steps.push_back({[](QWidget *w) { return qobject_cast<W *>(w) != nullptr; },
                           [action](QWidget *w) { action(qobject_cast<W *>(w)); }});
        return *this;
    }

    /// Steps not yet run.
    std::size_t Pending() const { return m_steps.size(); }
    bool TimedOut() const { return m_timed_out; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Step
    {
        std::function<bool(QWidget *)> matches;
        std::function<void(QWidget *)> act;
    };
    void CloseEverything();

    std::deque<Step> m_steps;
    QTimer m_watchdog;
    bool m_timed_out = false;
};

/// Shows a top-level widget and waits until it is the active window, so focus events arrive.
void ShowActive(QWidget *window);

/// Clicks a push button in its middle, a check box or radio button on its indicator.
void Click(QAbstractButton *button);
/// Clicks item index of an open pop-up menu.
void ChooseMenuItem(QMenu *menu, int index);
/// Clicks tab index of a tab strip.
void ClickTab(QTabBar *tabs, int index);
/// Clicks into an edit and replaces its text as a user would (select all, type).
void TypeInto(QLineEdit *edit, const QString &text);

/// The child of parent with that object name; fails the test when there is none.
template<class W> W *Child(QObject *parent, const char *name)
{
    W *child = parent->findChild<W *>(QString::fromLatin1(name));
    if (child == nullptr)
        ADD_FAILURE() << "no control named " << name;
    return child;
}

/// The source tree's copy of a built-in profile file or language folder.
std::filesystem::path SourceIni(const std::string &file);
std::filesystem::path SourceLanguageFolder();

/// A record as the main window holds it after a pick: read from file, with its path.
ProfileRecord LoadProfile(const std::filesystem::path &file, const std::string &section);

} // namespace quillet::test
