// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/WaitWindowProgress.h"

#include "disc/subtitles/CWaittingDlg.h"

namespace quillet {

WaitWindowProgress::WaitWindowProgress(QWidget *owner)
    : m_shown_here(CWaittingDlg::Current() == nullptr)
{
    m_window = CWaittingDlg::Show(owner);
}

WaitWindowProgress::~WaitWindowProgress()
{
    if (m_shown_here && m_window)
        m_window->Close();
}

void WaitWindowProgress::Update(int percent, std::string_view message)
{
    if (m_window)
        m_window->Update(percent, message);
}

ProgressWindowFactory WaitWindowFactory(QWidget *owner)
{
    QPointer<QWidget> guarded(owner);
    return [guarded]() -> std::unique_ptr<ExtractionProgress> {
        return std::make_unique<WaitWindowProgress>(guarded.data());
    };
}

} // namespace quillet
