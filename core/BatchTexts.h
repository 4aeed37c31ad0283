// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunTexts.h"

/**
 * The texts of the kept batch in the user's language: the start-up offer, the refusal of a kept
 * file that cannot be taken, and why a restored task is skipped. Their keys live in the language
 * files' KEPT_BATCH section; the catalogue (texts/LanguageKeys.h) lists these entries, so the
 * English texts are written here only.
 */
namespace quillet::batch_texts {

using Text = run_texts::RunText;

inline constexpr std::string_view kSection = "KEPT_BATCH";

/// The start-up question; %d is the number of tasks kept. Answered by kRestore or kDiscard.
inline constexpr Text kRestoreOffer{"strRestoreOfferInfo",
                                    "Restore the %d tasks from your last session?"};
/// The same question for a single task.
inline constexpr Text kRestoreOfferOne{"strRestoreOfferOneInfo",
                                       "Restore the task from your last session?"};
inline constexpr Text kRestore{"btnRestoreInfo", "Restore"};
inline constexpr Text kDiscard{"btnDiscardInfo", "Discard"};

/// The kept file is damaged (or no kept batch at all); %s is where it was set aside.
inline constexpr Text kDamaged{
    "strKeptDamagedInfo",
    "The task list kept from your last session cannot be read. It was set aside as %s."};
/// The kept file was written by a newer version; %s is where it was set aside.
inline constexpr Text kNewer{"strKeptNewerInfo",
                             "The task list kept from your last session was written by a newer "
                             "version of the program. It was set aside as %s."};
/// The kept file cannot be taken and cannot be moved aside either; %s is where it stays.
inline constexpr Text kNotSetAside{"strKeptNotSetAsideInfo",
                                   "The task list kept in %s cannot be read and cannot be set "
                                   "aside. The tasks of this session are not kept."};
/// Another run of the program keeps the batch in %s (quillet-cli --queue with the same file).
inline constexpr Text kBusy{"strKeptBusyInfo", "%s is in use by another run of the program."};

/// Why a restored task is not converted (a row's state, a line of the run's report).
inline constexpr Text kSourceGone{"strSourceGoneInfo", "the source file is gone"};
inline constexpr Text kSourceChanged{"strSourceChangedInfo",
                                     "the source file has changed since it was added"};
/// A task whose output an earlier run made; %s is the output.
inline constexpr Text kAlreadyMade{"strAlreadyMadeInfo", "already made: %s"};

} // namespace quillet::batch_texts
