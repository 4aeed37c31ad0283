// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>

/**
 * The user's folders as the XDG base directory rules define them, in one place for every part
 * that keeps something per user: the settings, the data folder of an installed program, the
 * media library of ferrule and the engine's subtitle style.
 *
 * Only absolute values count: a relative $XDG_CONFIG_HOME (or $HOME) would make the folder depend
 * on wherever the program was started from, so the rules have it ignored. Without a usable home
 * (a service, cron or a container with no HOME) there is no default folder at all: callers say so
 * and use only what the user named, never a folder under the current one.
 */
namespace quillet::platform {

/// Reads one environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char *name)>;

/// The process environment.
EnvironmentLookup SystemEnvironment();

/// $HOME when it is an absolute path; nullopt otherwise (unset, empty or relative).
std::optional<std::string> UserHome(const EnvironmentLookup &environment = SystemEnvironment());

/// $XDG_CONFIG_HOME when absolute, else $HOME/.config; nullopt without either.
std::optional<std::string> ConfigHome(const EnvironmentLookup &environment = SystemEnvironment());

/// $XDG_DATA_HOME when absolute, else $HOME/.local/share; nullopt without either.
std::optional<std::string> DataHome(const EnvironmentLookup &environment = SystemEnvironment());

/// $XDG_STATE_HOME when absolute, else $HOME/.local/state; nullopt without either.
std::optional<std::string> StateHome(const EnvironmentLookup &environment = SystemEnvironment());

/// What to tell a user whose home is not usable, naming the variable to set.
std::string NoHomeReason(const char *base_variable);

} // namespace quillet::platform
