// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/SubtitleOfferHook.h"

#include "disc/subtitles/WaitWindowProgress.h"

#include "core/SubtitleOffer.h"
#include "platform/Paths.h"

#include <QPointer>
#include <QWidget>

namespace quillet {

std::function<void(Task &)> SubtitleOfferHook(QWidget *main_window, Prompter &prompter,
                                              std::function<std::string()> output_folder,
                                              const MatroskaBinding &binding)
{
    QPointer<QWidget> owner(main_window);
    return [owner, &prompter, output_folder = std::move(output_folder), &binding](Task &task) {
        OfferSubtitles(task, binding, prompter, output_folder(), WaitWindowFactory(owner),
                       [](const std::string &path) { return platform::PathExists(path); });
    };
}

} // namespace quillet
