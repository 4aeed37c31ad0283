// SPDX-License-Identifier: GPL-3.0-or-later
// What the window shows of the sizes before a batch: the summary bar's tip, which holds the words
// of a plan the driver will refuse.
#include "MainDialog.h"

#include "CGradientProgress.h"

namespace quillet {

void MainDialog::SetSummaryTip(std::string_view text)
{
    // A refused plan's full words; the bar's own text keeps the totals.
    const QString tip = QString::fromUtf8(text.data(), qsizetype(text.size()));
    m_progress->setToolTip(tip);
    m_progress->setAccessibleDescription(tip);
}

} // namespace quillet
