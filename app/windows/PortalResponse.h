// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QVariantMap>

namespace quillet {

/// Receives the answer of one file chooser portal request and ends the loop that waits for it.
class PortalResponse : public QObject
{
    Q_OBJECT
public:
    explicit PortalResponse(QEventLoop &loop)
        : m_loop(loop)
    { }

    bool answered = false;
    uint response = 2; ///< 0 chosen, 1 cancelled, 2 ended otherwise
    QVariantMap results;

public slots:
    void Response(uint code, const QVariantMap &answer)
    {
        answered = true;
        response = code;
        results = answer;
        m_loop.quit();
    }

private:
    QEventLoop &m_loop;
};

} // namespace quillet
