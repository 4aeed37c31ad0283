// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Messages.h"
#include "StderrMessages.h"

#include <memory>
#include <string>
#include <vector>

class QApplication;

namespace quillet::ferrule {

/// Warnings in message boxes (warning icon, OK, captioned with the program's name) when a display
/// is there to show them, else on standard error. The application object is made only when the
/// first warning comes, so an import that goes well never touches the display.
class DesktopMessages : public Messages
{
public:
    /// @param program_path argv[0]; the caption is its file name without extension
    explicit DesktopMessages(const std::string &program_path);
    ~DesktopMessages() override;
    DesktopMessages(const DesktopMessages &) = delete;
    DesktopMessages &operator=(const DesktopMessages &) = delete;

    void Warn(const std::string &text) override;

private:
    /// @return whether boxes can be shown; decided once
    bool EnsureApplication();

    std::string m_caption;
    // Qt's own arguments only: the file path must never be read as a Qt option ("-style ...").
    std::vector<char> m_program_name;
    int m_argc = 1;
    char *m_argv[2] = {nullptr, nullptr};
    bool m_checked = false;
    std::unique_ptr<QApplication> m_application;
    StderrMessages m_fallback;
};

} // namespace quillet::ferrule
