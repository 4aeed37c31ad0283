// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Prompter.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quillet {

/// Tells and asks through modal message boxes over a window: OK with the warning, exclamation or
/// information icon, Yes/No with the question icon. An empty caption takes the default caption.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent, QString default_caption = {});

    void SetDefaultCaption(const QString &caption) { m_default_caption = caption; }

    void Tell(std::string_view text, std::string_view caption = {},
              Icon icon = Icon::Warning) override;
    bool Ask(std::string_view question, std::string_view caption = {}) override;

private:
    QString CaptionOr(std::string_view caption) const;

    QPointer<QWidget> m_parent;
    QString m_default_caption;
};

} // namespace quillet
