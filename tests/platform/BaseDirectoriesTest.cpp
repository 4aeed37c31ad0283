// SPDX-License-Identifier: GPL-3.0-or-later
// The user's folders under the XDG base directory rules, and the settings store that follows them.
#include "platform/BaseDirectories.h"
#include "platform/SettingsStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace quillet::platform;
using Folder = std::optional<std::string>;

namespace {

EnvironmentLookup Environment(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char *name) -> std::optional<std::string> {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

/// Sets or removes a variable for the life of the object.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const char *value)
        : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(BaseDirectories, onlyAbsoluteValuesCountAndWithoutAHomeThereIsNoDefault)
{
    struct Case
    {
        std::map<std::string, std::string> environment;
        Folder config;
        Folder data;
    };
    const Case cases[] = {
        {{{"HOME", "/home/ann"}}, "/home/ann/.config", "/home/ann/.local/share"},
        {{{"HOME", "/home/ann/"}, {"XDG_CONFIG_HOME", "/etc/ann/"}, {"XDG_DATA_HOME", "/srv/d"}},
         "/etc/ann",
         "/srv/d"},
        // Relative values are ignored, whoever set them.
        {{{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "rel/dir"}, {"XDG_DATA_HOME", "."}},
         "/home/ann/.config",
         "/home/ann/.local/share"},
        {{{"HOME", "/"}}, "/.config", "/.local/share"},
        // No usable home: only what is named in full.
        {{}, std::nullopt, std::nullopt},
        {{{"HOME", ""}}, std::nullopt, std::nullopt},
        {{{"HOME", "home/ann"}, {"XDG_CONFIG_HOME", "cfg"}}, std::nullopt, std::nullopt},
        {{{"XDG_CONFIG_HOME", "/cfg"}}, "/cfg", std::nullopt},
    };
    for (const Case &c : cases) {
        const EnvironmentLookup environment = Environment(c.environment);
        SCOPED_TRACE(c.environment.count("HOME") ? c.environment.at("HOME") : "(no HOME)");
        EXPECT_EQ(ConfigHome(environment), c.config);
        EXPECT_EQ(DataHome(environment), c.data);
    }
}

TEST(BaseDirectories, settingsWithoutAHomeAreNeitherReadNorWrittenInTheCurrentFolder)
{
    quillet::test::TempDir dir;
    const ScopedVariable no_override("QUILLET_SETTINGS_DIR", nullptr);
    const ScopedVariable no_home("HOME", nullptr);
    const ScopedVariable relative("XDG_CONFIG_HOME", "rel/dir");
    EXPECT_TRUE(SettingsStore::DefaultFolder().empty());

    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const SettingsStore store(SettingsStore::DefaultFolder());
    const bool written = store.Write("Software\\Brontwick\\Pellumo", "ConvertDir", {});
    std::filesystem::current_path(here);
    EXPECT_FALSE(written);
    EXPECT_FALSE(store.Read("Software\\Brontwick\\Pellumo", "ConvertDir"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
