// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"
#include "profiles/DefaultProfileSetting.h"

#include <cstdint>
#include <string>

namespace quillet {

/// What the main window holds besides its controls, shared by the operations it runs.
struct MainState
{
    ProfileRecord current_profile; ///< the profile last picked or reloaded
    DefaultProfileSetting default_profile; ///< the remembered pick and its aspect index
    double total_size_mb = 0; ///< sum of the tasks' estimated sizes
    uint32_t start_tick = 0; ///< when the running conversion started (ms)
    std::string current_output_path; ///< the output being written
    bool converting = false; ///< while a batch runs
};

} // namespace quillet
