// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalDriver.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace quillet::test {

void WhenModal(const std::function<bool(QWidget *)> &matches,
               const std::function<void(QWidget *)> &act, int timeout_ms)
{
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && matches(modal)) {
            timer->stop();
            timer->deleteLater();
            act(modal);
            return;
        }
        if (clock->elapsed() > timeout_ms) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected modal window did not open";
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
        }
    });
    timer->start();
}

} // namespace quillet::test
