// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/MatroskaBinding.h"
#include "core/SubtitleOffer.h"

#include <QPointer>

class QWidget;

namespace quillet {

class CWaittingDlg;

/**
 * Extraction progress shown in the Waitting window: made when an extraction starts, it shows the
 * window over its owner (or reports to the one already shown); destroyed when the extraction
 * ends, it closes the window it showed.
 */
class WaitWindowProgress final : public ExtractionProgress
{
public:
    explicit WaitWindowProgress(QWidget *owner);
    ~WaitWindowProgress() override;
    WaitWindowProgress(const WaitWindowProgress &) = delete;
    WaitWindowProgress &operator=(const WaitWindowProgress &) = delete;

    void Update(int percent, std::string_view message) override;

private:
    QPointer<CWaittingDlg> m_window;
    bool m_shown_here = false;
};

/**
 * The progress window factory the subtitle offer takes (OfferSubtitles): each extraction gets a
 * WaitWindowProgress owned by owner, the main window.
 */
ProgressWindowFactory WaitWindowFactory(QWidget *owner);

} // namespace quillet
