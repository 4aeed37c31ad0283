// SPDX-License-Identifier: GPL-3.0-or-later
// What of the source's description an output keeps: its tags (the container's, and those an
// audio stream carries) and an attached cover picture.
#pragma once
