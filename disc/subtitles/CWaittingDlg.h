// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc/WaitWindowModel.h"

#include <QDialog>
#include <QPointer>

#include <string_view>

class QLabel;
class QProgressBar;

namespace quillet {

/**
 * The "Waitting" window: a small modeless window with a message, a bar and a percentage, shown
 * while subtitle tracks are extracted from a Matroska file. At most one exists. While it is up
 * its owner (the main window) is disabled, so no other command starts; every Update lets the
 * application handle its waiting events, so the main window stays painted during the extraction,
 * which runs on the user-interface thread. The window is not localised.
 *
 * Entry points (one line each for the main window; the subtitle offer reaches them through
 * WaitWindowProgress):
 *   CWaittingDlg::Show(owner)    shows it (or returns the one shown), owner disabled
 *   CWaittingDlg::Current()      the window shown, or null
 *   window->Update(percent, text)
 *   window->Close()              owner enabled again, window gone
 */
class CWaittingDlg : public QDialog
{
    Q_OBJECT

public:
    /// Creates the window owned by owner, makes it the current one, disables owner, enables the
    /// window and centres it over owner. When a window is already shown, returns that one.
    static CWaittingDlg *Show(QWidget *owner);
    /// The window shown, or null.
    static CWaittingDlg *Current();

    /// The bar and percentage follow percent (0 to 100) only when it differs from the bar's
    /// position; the message always takes text. Then the waiting events are handled.
    void Update(int percent, std::string_view text);

    /// Enables the owner again and destroys the window; Current() becomes null.
    void Close();

    QProgressBar *ProgressBar() const { return m_bar; }
    QLabel *MessageLabel() const { return m_message; }
    QLabel *PercentLabel() const { return m_percent; }

protected:
    /// Only Close ends the window: the extraction it reports on cannot be stopped.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    explicit CWaittingDlg(QWidget *owner);

    WaitWindowModel m_model;
    QPointer<QWidget> m_owner;
    QLabel *m_message;
    QProgressBar *m_bar;
    QLabel *m_percent;
    bool m_closing = false;
};

} // namespace quillet
