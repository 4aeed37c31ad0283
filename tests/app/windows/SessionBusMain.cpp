// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop-bus tests run inside a session bus of their own: the program starts itself again
// under dbus-run-session, and the system bus is pointed at that session bus, so fake system
// services (logind) can sit on it beside the fake session services. The real buses of the
// machine are never touched.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kUnderBus = "QUILLET_TEST_UNDER_SESSION_BUS";
constexpr const char *kNoBus = "unix:path=/nonexistent/quillet-test-bus";

void RunUnderSessionBus(int argc, char **argv)
{
    if (std::getenv(kUnderBus))
        return;
    ::setenv(kUnderBus, "1", 1);
    // The program's own path: /proc/self/exe would name dbus-run-session once it runs.
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error)
        return;
    std::vector<std::string> words{"dbus-run-session", "--", self};
    for (int i = 1; i < argc; ++i)
        words.emplace_back(argv[i]);
    std::vector<char *> args;
    args.reserve(words.size() + 1);
    for (auto &word : words)
        args.push_back(word.data());
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    // No dbus-run-session: the tests run on without any bus (and say so), never on the
    // machine's real ones.
    ::unsetenv(kUnderBus);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", kNoBus, 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", kNoBus, 1);
}

} // namespace

int main(int argc, char **argv)
{
    RunUnderSessionBus(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (const char *session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        session && std::getenv(kUnderBus))
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", session, 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
