#include "x11/support/childProcess.h"

#include <fcntl.h>
#include <glib.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace keyloom::test {
namespace {

// Signals the test blocks or ignores must reach the program as usual.
void defaultSignals(gpointer) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s : {SIGINT, SIGTERM, SIGPIPE}) std::signal(s, SIG_DFL);
}

}  // namespace

double monotonicNow() { return static_cast<double>(g_get_monotonic_time()) / 1e6; }

bool eventually(const std::function<bool()>& check, double timeoutSeconds) {
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        if (check()) return true;
        if (monotonicNow() > deadline) return false;
        g_usleep(10'000);
    }
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (pid_ > 0) {
        signal(SIGTERM);
        if (!wait(10.0)) {
            signal(SIGKILL);
            wait(10.0);
        }
    }
    if (out_ >= 0) close(out_);
}

bool ChildProcess::start(const std::vector<std::string>& argv, std::string* error,
                         const std::string& outputTo) {
    std::vector<const char*> args;
    for (const std::string& a : argv) args.push_back(a.c_str());
    args.push_back(nullptr);
    int outFile = -1;
    if (!outputTo.empty()) outFile = open(outputTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    GPid pid = 0;
    GError* failure = nullptr;
    // Not reaped by GLib: wait() reaps it, with its resources.
    bool started = g_spawn_async_with_pipes_and_fds(
        nullptr, args.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, defaultSignals, nullptr, -1,
        outFile, -1, nullptr, nullptr, 0, &pid, &in_, outFile >= 0 ? nullptr : &out_, nullptr,
        &failure);
    if (outFile >= 0) close(outFile);
    if (!started) {
        if (error != nullptr) *error = failure->message;
        g_error_free(failure);
        return false;
    }
    // Our own writes to a program that has ended must not kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    pid_ = pid;
    outputEnded_ = out_ < 0;
    return true;
}

std::optional<std::string> ChildProcess::readLine(double timeoutSeconds) {
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        std::size_t end = buffer_.find('\n', start_);
        if (end != std::string::npos) {
            std::string line = buffer_.substr(start_, end - start_);
            start_ = end + 1;
            return line;
        }
        // Drop what was returned before reading more (not line by line: a
        // chatty program would make that quadratic).
        buffer_.erase(0, start_);
        start_ = 0;
        if (outputEnded_) return std::nullopt;
        double left = deadline - monotonicNow();
        if (left <= 0) return std::nullopt;
        pollfd fd{out_, POLLIN, 0};
        int ready = poll(&fd, 1, static_cast<int>(left * 1000) + 1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char chunk[1 << 16];
        ssize_t n = read(out_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            outputEnded_ = true;
            continue;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

void ChildProcess::writeLine(const std::string& text) {
    if (in_ < 0) return;
    std::string line = text + "\n";
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        ssize_t n = write(in_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void ChildProcess::closeInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

void ChildProcess::signal(int signalNumber) {
    if (pid_ > 0) kill(pid_, signalNumber);
}

std::optional<int> ChildProcess::wait(double timeoutSeconds) {
    if (pid_ <= 0) return std::nullopt;
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        int status = 0;
        pid_t done = wait4(pid_, &status, WNOHANG, &usage_);
        if (done == pid_) {
            pid_ = -1;
            if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            return WEXITSTATUS(status);
        }
        if (done < 0 && errno != EINTR) {
            pid_ = -1;
            return std::nullopt;
        }
        if (monotonicNow() > deadline) return std::nullopt;
        g_usleep(2'000);
    }
}

}  // namespace keyloom::test
