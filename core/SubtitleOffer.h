// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/MatroskaBinding.h"
#include "core/OutputPath.h"
#include "core/Prompter.h"
#include "core/Task.h"

#include <functional>
#include <memory>
#include <string>

/**
 * The subtitle offer made when a Matroska file is added: its subtitle tracks can be extracted
 * into the output folder, and the first one becomes the task's subtitle (burnt into the picture).
 */
namespace quillet {

/// The question asked before extracting.
inline constexpr const char *kSubtitleOfferQuestion
    = "This mkv file have some subtitle tracks, do you want extract it and add to the converted "
      "file?";

/// The file extension for a subtitle track's codec id ("S_VOBSUB" gives ".idx").
std::string SubtitleExtension(std::string_view codec);

/// Makes the progress window shown while extracting; it closes when the object goes away.
using ProgressWindowFactory = std::function<std::unique_ptr<ExtractionProgress>()>;

/// How a subtitle offer ended.
enum class SubtitleOfferOutcome {
    NotOffered, ///< no Matroska name, no subtitle track, or the library is not loaded
    Declined, ///< the user answered No
    Extracted, ///< every track was extracted
    TracksUnreadable, ///< the library could not read the file's tracks
    SomeNotExtracted, ///< at least one track could not be extracted
};

/**
 * Offers the subtitle tracks of task's source when it is a Matroska file (its name ends in
 * "mkv", any case), and extracts them when the user answers Yes. Extracted files never replace
 * existing ones; tracks that could not be extracted are reported and not recorded. A file whose
 * tracks cannot be read is not offered anything (the caller decides whether that is a failure).
 */
SubtitleOfferOutcome OfferSubtitles(Task &task, const MatroskaBinding &binding, Prompter &prompter,
                                    const std::string &output_folder,
                                    const ProgressWindowFactory &make_progress,
                                    const FileExistsFn &exists);

} // namespace quillet
