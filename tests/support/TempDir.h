// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace quillet::test {

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object goes away. Tests write every file they make in one of these.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // Spelled as every test folder calls them; they converge with the windows' tests.
    // NOLINTBEGIN(readability-identifier-naming)
    const std::filesystem::path &path() const { return m_path; }
    /// path() / name, as text.
    std::string file(const std::string &name) const;
    // NOLINTEND(readability-identifier-naming)

private:
    std::filesystem::path m_path;
};

/// Writes text to a file, creating missing folders; returns the path.
std::filesystem::path WriteFile(const std::filesystem::path &path, std::string_view text);
/// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path &path);

/// The program folder of the build (bin/), from QUILLET_PROGRAM_DIR.
std::filesystem::path ProgramDir();

} // namespace quillet::test
