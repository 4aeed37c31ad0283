// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopMessages.h"

#include "platform/ChildProcess.h"

#include <QApplication>
#include <QMessageBox>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace quillet::ferrule {

namespace {

// A display that accepts the connection but never answers must not hold up the converter, which
// waits for ferrule without a time limit.
constexpr std::chrono::milliseconds kProbeTimeout{10000};

bool Set(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

/// Platforms on which a modal box would wait for a click nobody can give.
bool Headless(const QString &platform)
{
    return platform == QLatin1String("offscreen") || platform.startsWith(QLatin1String("minimal"));
}

/// Whether a QApplication can be made here. Qt ends the process (qFatal) when no platform plugin
/// starts, so the attempt runs in a child first; a child that does not answer in time is killed.
bool ApplicationCanStart(int argc, char **argv)
{
    platform::ChildOptions quiet;
    quiet.output = platform::ChildStream::Discard;
    quiet.errors = platform::ChildStream::Discard;
    platform::ChildProcess probe = platform::ChildProcess::Fork(
        [&] {
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &) {
                if (type == QtFatalMsg)
                    _exit(1);
            });
            QApplication application(argc, argv);
            return Headless(QGuiApplication::platformName()) ? 1 : 0;
        },
        quiet);
    return probe.WaitFor(kProbeTimeout) == 0;
}

} // namespace

DesktopMessages::DesktopMessages(const std::string &program_path)
    : m_caption(std::filesystem::path(program_path).stem().string())
    , m_program_name(program_path.begin(), program_path.end())
{
    if (m_caption.empty())
        m_caption = "ferrule";
    m_program_name.push_back('\0');
    m_argv[0] = m_program_name.data();
}

DesktopMessages::~DesktopMessages() = default;

bool DesktopMessages::EnsureApplication()
{
    if (m_checked)
        return m_application != nullptr;
    m_checked = true;
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY"))
        return false;
    if (!ApplicationCanStart(m_argc, m_argv))
        return false;
    m_application = std::make_unique<QApplication>(m_argc, m_argv);
    if (Headless(QGuiApplication::platformName()))
        m_application.reset();
    return m_application != nullptr;
}

void DesktopMessages::Warn(const std::string &text)
{
    if (!EnsureApplication()) {
        m_fallback.Warn(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromLocal8Bit(m_caption),
                    QString::fromLocal8Bit(text), QMessageBox::Ok);
    box.exec();
}

} // namespace quillet::ferrule
