// SPDX-License-Identifier: GPL-3.0-or-later
// Every built-in profile keeps the source sound's level when it downmixes, and its tags.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>
