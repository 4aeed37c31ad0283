// SPDX-License-Identifier: GPL-3.0-or-later
// Sound as the source meant it: downmix levels across codecs, tags and cover pictures kept.
#include "EngineHarness.h"
