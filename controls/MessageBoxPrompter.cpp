// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxPrompter.h"

#include <QMessageBox>

namespace quillet {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QMessageBox::Icon BoxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::None:
        return QMessageBox::NoIcon;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
    case Prompter::Icon::Exclamation:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget *parent, QString default_caption)
    : m_parent(parent)
    , m_default_caption(std::move(default_caption))
{ }

QString MessageBoxPrompter::CaptionOr(std::string_view caption) const
{
    return caption.empty() ? m_default_caption : FromUtf8(caption);
}

void MessageBoxPrompter::Tell(std::string_view text, std::string_view caption, Icon icon)
{
    QMessageBox box(BoxIcon(icon), CaptionOr(caption), FromUtf8(text), QMessageBox::Ok,
                    m_parent.data());
    box.exec();
}

bool MessageBoxPrompter::Ask(std::string_view question, std::string_view caption)
{
    QMessageBox box(QMessageBox::Question, CaptionOr(caption), FromUtf8(question),
                    QMessageBox::Yes | QMessageBox::No, m_parent.data());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace quillet
