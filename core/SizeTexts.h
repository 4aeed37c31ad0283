// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunTexts.h"

/**
 * The texts of size planning a user reads, in the language files' CONVERSION_RUN section beside
 * the run's other texts (RunTexts.h). Each is a printf format; a translation must take the same
 * arguments (Texts::LookupFormat checks it). Sizes come in as text (FormatSplitSize in
 * DiscBudget.h), so each language keeps its own way of writing them around the number.
 */
namespace quillet::size_texts {

using run_texts::kSection;
using run_texts::RunText;

/// The batch cannot fit the disc even at the lowest rates: count of files, the size they need,
/// the disc's name ("DVD-5") and what it holds.
inline constexpr RunText kCannotFitMany{
    "strDiscPlanTooSmallInfo",
    "These %d files need at least %s at the lowest quality this profile allows; %s holds %s"};
/// The same for a single file.
inline constexpr RunText kCannotFitOne{
    "strDiscPlanTooSmallOneInfo",
    "This file needs at least %s at the lowest quality this profile allows; %s holds %s"};
/// A task's result when its output was stopped at the size limit: the limit, the seconds kept
/// and the seconds of the source.
inline constexpr RunText kOutputCut{"strOutputCutInfo", "cut at %s: %.1f s of %.1f s"};
/// The totals line when the batch is planned onto a disc: the disc's name.
inline constexpr RunText kPlannedToFit{"strPlannedToFitInfo", "planned to fit %s"};

} // namespace quillet::size_texts
