// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopMessages.h"

#include <QApplication>
#include <QMessageBox>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace quillet::ferrule {

namespace {

// A display that accepts the connection but never answers must not hold up the converter, which
// waits for ferrule without a time limit.
constexpr std::chrono::milliseconds kProbeTimeout_ms{10000};
constexpr std::chrono::milliseconds kProbePoll_ms{10};

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
/// starts, so the attempt runs in a child first.
bool ApplicationCanStart(int argc, char **argv)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &) {
            if (type == QtFatalMsg)
                _exit(1);
        });
        QApplication probe(argc, argv);
        _exit(Headless(QGuiApplication::platformName()) ? 1 : 0);
    }

    const auto deadline = std::chrono::steady_clock::now() + kProbeTimeout_ms;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0 && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(kProbePoll_ms);
    }
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
