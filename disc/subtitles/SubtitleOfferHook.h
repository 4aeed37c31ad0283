// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/MatroskaBinding.h"
#include "core/Prompter.h"
#include "core/Task.h"

#include <functional>
#include <string>

class QWidget;

namespace quillet {

/**
 * The Matroska subtitle offer as the main window makes it for every file it adds: for a source
 * named "...mkv" with subtitle tracks, prompter asks "This mkv file have some subtitle tracks,
 * ..."; on Yes the tracks are extracted into the output folder while the Waitting window shows
 * the extraction library's progress over main_window (disabled meanwhile), and the task gets the
 * extracted files as its subtitle candidates, the first as its subtitle. Without the Matroska
 * library nothing is offered.
 *
 * The main window installs it once:
 *     m_controller.SetFileAddedHook(
 *         SubtitleOfferHook(this, *this, [this] { return m_app.OutputFolder(); }));
 *
 * @param main_window owns the Waitting window; may go away before the hook is called
 * @param prompter asks the question and reports tracks that could not be extracted
 * @param output_folder gives the output folder (ending with '/') at the time of each offer
 * @param binding the Matroska library (the process-wide one by default)
 */
std::function<void(Task &)> SubtitleOfferHook(QWidget *main_window, Prompter &prompter,
                                              std::function<std::string()> output_folder,
                                              const MatroskaBinding &binding
                                              = TheMatroskaBinding());

} // namespace quillet
