// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BaseDirectories.h"

#include <cstdlib>

namespace quillet::platform {

namespace {

std::optional<std::string> Absolute(const EnvironmentLookup &environment, const char *name)
{
    std::optional<std::string> value = environment(name);
    if (!value || value->empty() || value->front() != '/')
        return std::nullopt;
    // A trailing '/' would double up when a file name is appended.
    while (value->size() > 1 && value->back() == '/')
        value->pop_back();
    return value;
}

std::optional<std::string> BaseFolder(const EnvironmentLookup &environment, const char *variable,
                                      const char *under_home)
{
    if (std::optional<std::string> value = Absolute(environment, variable))
        return value;
    if (std::optional<std::string> home = UserHome(environment))
        return (*home == "/" ? std::string() : *home) + under_home;
    return std::nullopt;
}

} // namespace

EnvironmentLookup SystemEnvironment()
{
    return [](const char *name) -> std::optional<std::string> {
        if (const char *value = std::getenv(name))
            return std::string(value);
        return std::nullopt;
    };
}

std::optional<std::string> UserHome(const EnvironmentLookup &environment)
{
    return Absolute(environment, "HOME");
}

std::optional<std::string> ConfigHome(const EnvironmentLookup &environment)
{
    return BaseFolder(environment, "XDG_CONFIG_HOME", "/.config");
}

std::optional<std::string> DataHome(const EnvironmentLookup &environment)
{
    return BaseFolder(environment, "XDG_DATA_HOME", "/.local/share");
}

std::optional<std::string> StateHome(const EnvironmentLookup &environment)
{
    return BaseFolder(environment, "XDG_STATE_HOME", "/.local/state");
}

std::string NoHomeReason(const char *base_variable)
{
    return std::string("no home folder: HOME is not set to an absolute path, nor is ")
        + base_variable;
}

} // namespace quillet::platform
