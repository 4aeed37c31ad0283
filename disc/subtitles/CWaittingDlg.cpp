// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/CWaittingDlg.h"

#include "DialogLook.h"
#include "DialogUnits.h"
#include "VeneerBinding.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace quillet {

namespace {

QPointer<CWaittingDlg> g_current;

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

CWaittingDlg::CWaittingDlg(QWidget *owner)
    : QDialog(owner)
    , m_owner(owner)
    , m_message(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_percent(new QLabel(this))
{
    // The window's texts are fixed, never looked up in a language file.
    setWindowTitle(QStringLiteral("Waitting"));
    setAttribute(Qt::WA_DeleteOnClose);
    ApplyDialogLook(this);
    const DialogUnits du(font());
    setFixedSize(du.X(246), du.Y(43));
    m_message->setGeometry(du.Rect(7, 7, 229, 8));
    m_bar->setGeometry(du.Rect(7, 24, 205, 12));
    m_percent->setGeometry(du.Rect(215, 25, 23, 8));
    m_bar->setRange(0, 100);
    m_bar->setValue(m_model.Position());
    m_bar->setTextVisible(false);
    // The message names the bar for a reader, and follows it as the extraction goes on.
    m_message->setBuddy(m_bar);
    m_message->setText(QString::fromStdString(m_model.Message()));
    m_percent->setText(QString::fromStdString(m_model.PercentText()));
    TheVeneer().AddFilterHook(this);
}

CWaittingDlg *CWaittingDlg::Show(QWidget *owner)
{
    if (g_current)
        return g_current;
    auto *window = new CWaittingDlg(owner);
    g_current = window;
    if (owner)
        owner->setEnabled(false);
    // Disabling the owner disables the windows it owns too; this one must stay usable.
    window->setEnabled(true);
    window->show();
    if (owner) {
        const QRect frame = owner->window()->frameGeometry();
        window->move(frame.center() - window->rect().center());
    }
    return window;
}

CWaittingDlg *CWaittingDlg::Current()
{
    return g_current;
}

void CWaittingDlg::Update(int percent, std::string_view text)
{
    const WaitWindowModel::Changes changes = m_model.Update(percent, text);
    if (changes.percent) {
        m_bar->setValue(m_model.Position());
        m_percent->setText(QString::fromStdString(m_model.PercentText()));
    }
    if (changes.message)
        m_message->setText(FromUtf8(m_model.Message()));
    // The extraction holds the user-interface thread between these reports: handle what is
    // waiting, paint requests of every window included, before it goes on. A quit request
    // taken here stays with the main loop, which ends once the extraction returns.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CWaittingDlg::Close()
{
    if (m_owner)
        m_owner->setEnabled(true);
    if (g_current == this)
        g_current = nullptr;
    m_closing = true;
    // Deleted by Qt once the events under way are handled (WA_DeleteOnClose).
    close();
}

void CWaittingDlg::closeEvent(QCloseEvent *event)
{
    if (!m_closing) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CWaittingDlg::reject()
{
    // Esc does not end the window; Close does.
    if (m_closing)
        QDialog::reject();
}

} // namespace quillet
