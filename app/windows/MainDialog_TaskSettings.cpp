// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that open a task's settings windows: the option sheet (Options, "Profile
// settings"), the audio track dialog ("Audio...", "Audio track...") and the Subtitles dialog
// ("Subtitle..."). Each of those windows wires itself in here.
#include "MainDialog.h"

namespace quillet {

void MainDialog::OnOptions() { }

void MainDialog::OnAudioTrack() { }

void MainDialog::OnSubtitle() { }

} // namespace quillet
