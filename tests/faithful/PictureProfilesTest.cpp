// SPDX-License-Identifier: GPL-3.0-or-later
// Every built-in profile keeps the source picture's orientation, shape, progressive frames and a
// frame rate its level allows.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>
