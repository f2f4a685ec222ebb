// The real program, started without a display it can use: one clear line on standard error and exit status 1,
// never Qt's abort.
#include "support/child_process.hpp"
#include "support/temp_home.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <map>
#include <optional>

namespace clicktrove::testing {
namespace {

struct Outcome {
    int exitStatus = -1;  // -1: killed by a signal or never ended
    int signal = 0;
    std::string standardError;
};

// Runs the program with exactly this environment (plus PATH), waiting at most 30 s.
Outcome runProgram(const std::map<std::string, std::string>& environment) {
    std::vector<std::string> envText = {"PATH=/usr/bin:/bin"};
    for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = CLICKTROVE_EXECUTABLE;
    char* argv[] = {program.data(), nullptr};

    int errPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(errPipe[1]);
    Outcome outcome;
    if (rc != 0) {
        ::close(errPipe[0]);
        return outcome;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{errPipe[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = ::read(errPipe[0], buffer, sizeof buffer);
        if (n <= 0) break;
        outcome.standardError.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(errPipe[0]);
    // Standard error closes as the program ends; its exit follows a moment later.
    int status = 0;
    pid_t ended = 0;
    while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
        ::usleep(10'000);
    }
    if (ended != pid) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return outcome;
    }
    if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    return outcome;
}

class NoDisplayTest : public TempHomeTest {
protected:
    std::map<std::string, std::string> environment() const {
        return {{"HOME", tempHome.home().string()},
                {"XDG_CONFIG_HOME", tempHome.configHome().string()},
                {"XDG_DATA_HOME", tempHome.dataHome().string()},
                {"XDG_CACHE_HOME", tempHome.cacheHome().string()},
                {"XDG_RUNTIME_DIR", tempHome.runtimeDir().string()}};
    }
};

TEST_F(NoDisplayTest, WithoutDisplayTheProgramSaysSoInOneLineAndExitsWithStatusOne) {
    const struct {
        const char* name;
        std::map<std::string, std::string> extra;
        std::string line;
    } cases[] = {
        {"on a console", {}, "Clicktrove needs an X11 display: DISPLAY is not set\n"},
        {"an empty DISPLAY", {{"DISPLAY", ""}}, "Clicktrove needs an X11 display: DISPLAY is not set\n"},
        {"a Wayland session without XWayland",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_SESSION_TYPE", "wayland"}},
         "Clicktrove needs an X11 display: DISPLAY is not set (this Wayland session offers no XWayland)\n"},
        {"Qt asked for xcb by name",
         {{"QT_QPA_PLATFORM", "xcb"}},
         "Clicktrove needs an X11 display: DISPLAY is not set\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto env = environment();
        env.insert(c.extra.begin(), c.extra.end());
        const Outcome outcome = runProgram(env);
        EXPECT_EQ(outcome.signal, 0) << "no abort";
        EXPECT_EQ(outcome.exitStatus, 1);
        EXPECT_EQ(outcome.standardError, c.line);
    }
}

TEST_F(NoDisplayTest, ADisplayThatCannotBeOpenedIsNamedWithTheReason) {
    auto env = environment();
    env["DISPLAY"] = ":9731";  // no server: the socket is not there
    Outcome outcome = runProgram(env);
    EXPECT_EQ(outcome.exitStatus, 1);
    const std::string head = "Clicktrove needs an X11 display: cannot open display \":9731\" (";
    EXPECT_EQ(outcome.standardError.rfind(head, 0), 0u) << outcome.standardError;
    EXPECT_TRUE(outcome.standardError.ends_with(")\n")) << outcome.standardError;
    EXPECT_EQ(std::count(outcome.standardError.begin(), outcome.standardError.end(), '\n'), 1);

    // A server that refuses us: X's own complaint becomes the reason, not a second line. The server knows one
    // cookie (an Xauthority entry: family "any", no address or display, MIT-MAGIC-COOKIE-1, 16 bytes); the
    // program is given none.
    std::string entry = std::string("\xff\xff\0\0\0\0\0\x12", 8) + "MIT-MAGIC-COOKIE-1" + std::string("\0\x10", 2);
    for (char c = 0; c < 16; ++c) entry += c;
    writeFile(tempHome.root() / "server-authority", entry);
    ChildProcess xvfb;
    std::string number;
    if (!startWithReadyLine(xvfb,
                            {"Xvfb", "-displayfd", "{fd}", "-nolisten", "tcp", "-auth",
                             (tempHome.root() / "server-authority").string()},
                            number, 15000)) {
        GTEST_SKIP() << "Xvfb could not be started (is the xvfb package installed?)";
    }
    env["DISPLAY"] = ":" + number;
    env["XAUTHORITY"] = "/dev/null";
    outcome = runProgram(env);
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(outcome.standardError, "Clicktrove needs an X11 display: cannot open display \":" + number +
                                         "\" (Authorization required, but no authorization protocol specified)\n");
}

}  // namespace
}  // namespace clicktrove::testing
