// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/FixedString.h"

namespace quillet {

/// The main window's copy of the remembered default profile.
struct DefaultProfileSetting
{
    FixedString<200> output_ini_file; ///< file name without folder
    FixedString<200> output_profile; ///< section name
    int aspect_index = 0; ///< aspect-calculation index for new tasks
};

} // namespace quillet
