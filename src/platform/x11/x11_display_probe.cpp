#include "platform/x11/x11_display_probe.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <cerrno>
#include <cstring>

namespace clicktrove::platform {

namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

// Runs connect with standard error going to a pipe: libxcb writes the server's reason for refusing a client
// (such as an authorisation failure) straight to file descriptor 2.
std::string capturingStandardError(const auto& connect) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        connect();
        return {};
    }
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(pipeFds[1], STDERR_FILENO);
    ::close(pipeFds[1]);
    connect();
    if (saved >= 0) {
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    std::string captured;
    char buffer[1024];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) captured.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    return trimmed(captured);
}

}  // namespace

std::optional<std::string> x11DisplayOpenProblem(const std::string& name) {
    xcb_connection_t* connection = nullptr;
    int error = 0;
    int savedErrno = 0;
    const std::string said = capturingStandardError([&] {
        errno = 0;
        connection = xcb_connect(name.c_str(), nullptr);
        savedErrno = errno;
        error = connection ? xcb_connection_has_error(connection) : XCB_CONN_ERROR;
    });
    if (connection) xcb_disconnect(connection);
    switch (error) {
        case 0:
            return std::nullopt;
        case XCB_CONN_CLOSED_PARSE_ERR:
            return "not a valid display name";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return "the display has no such screen";
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
            return "out of memory";
        default:
            break;
    }
    if (!said.empty()) return said;
    if (savedErrno != 0) return std::strerror(savedErrno);
    return "the connection failed";
}

}  // namespace clicktrove::platform
