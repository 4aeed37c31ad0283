// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QWidget>

#include <functional>

namespace quillet::test {

/**
 * Acts on a modal window that is about to be run with exec(): once the active modal window is
 * one that matches, act runs on it inside its event loop. After timeout_ms without one, the test
 * fails and the active modal window is rejected, so a test never hangs.
 */
void WhenModal(const std::function<bool(QWidget *)> &matches,
               const std::function<void(QWidget *)> &act, int timeout_ms = 10000);

/// WhenModal for the next modal window of type T.
template<typename T> void WhenModal(std::function<void(T *)> act, int timeout_ms = 10000)
{
    WhenModal([](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
              [act](QWidget *w) { act(qobject_cast<T *>(w)); }, timeout_ms);
}

/// The child of parent with this object name, failing the test when there is none.
template<typename T> T *Child(QWidget *parent, const char *name)
{
    T *child = parent ? parent->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!child)
        throw std::runtime_error(std::string("no child named ") + name);
    return child;
}

} // namespace quillet::test
