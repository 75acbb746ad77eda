#include "support/childProcess.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include "platform/win32/win32Text.h"
#else
#include <fcntl.h>
#include <glib.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace keyloom::test {

double monotonicNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool eventually(const std::function<bool()>& check, double timeoutSeconds) {
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        if (check()) return true;
        if (monotonicNow() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::optional<std::string> ChildProcess::readLine(double timeoutSeconds) {
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        std::size_t end = buffer_.find('\n', start_);
        if (end != std::string::npos) {
            std::string line = buffer_.substr(start_, end - start_);
            start_ = end + 1;
#ifdef _WIN32
            if (!line.empty() && line.back() == '\r') line.pop_back();
#endif
            return line;
        }
        // Drop what was returned before reading more (not line by line: a
        // chatty program would make that quadratic).
        buffer_.erase(0, start_);
        start_ = 0;
        if (outputEnded_) return std::nullopt;
        const double left = deadline - monotonicNow();
        if (!readMore(std::max(left, 0.0)) && left <= 0) return std::nullopt;
    }
}

#ifdef _WIN32

ChildProcess::~ChildProcess() {
    closeInput();
    if (process_ != nullptr) {
        if (!wait(5)) {
            TerminateProcess(process_, 98);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    if (out_ != nullptr) CloseHandle(out_);
}

bool ChildProcess::start(const std::vector<std::string>& argv, std::string* error,
                         const std::string&) {
    std::wstring commandLine = L"\"" + platform::win32::toWide(windowsPath(argv[0])) + L"\"";
    for (std::size_t i = 1; i < argv.size(); ++i)
        commandLine += L" \"" + platform::win32::toWide(argv[i]) + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &in_, &inherit, 0) || !CreatePipe(&out_, &childOut, &inherit, 0))
        return false;
    SetHandleInformation(in_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(out_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    BOOL ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &info);
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!ok) {
        if (error != nullptr)
            *error = "cannot start " + argv[0] + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = static_cast<long>(info.dwProcessId);
    return true;
}

bool ChildProcess::readMore(double timeoutSeconds) {
    // Anonymous pipes have no waiting with a timeout: look every few ms.
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(out_, nullptr, 0, nullptr, &available, nullptr)) {
            outputEnded_ = true;  // the program has ended and closed it
            return true;
        }
        if (available > 0) {
            std::string chunk(available, '\0');
            DWORD n = 0;
            if (!ReadFile(out_, chunk.data(), available, &n, nullptr)) outputEnded_ = true;
            buffer_.append(chunk.data(), n);
            return true;
        }
        if (monotonicNow() >= deadline) return false;
        Sleep(5);
    }
}

void ChildProcess::writeLine(const std::string& text) {
    const std::string line = text + "\n";
    DWORD written = 0;
    if (in_ != nullptr)
        WriteFile(in_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void ChildProcess::closeInput() {
    if (in_ != nullptr) CloseHandle(in_);
    in_ = nullptr;
}

std::optional<int> ChildProcess::wait(double timeoutSeconds) {
    if (process_ == nullptr) return std::nullopt;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutSeconds * 1000)) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    pid_ = -1;
    return static_cast<int>(code);
}

#else

namespace {

// Signals the test blocks or ignores must reach the program as usual.
void defaultSignals(gpointer) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s : {SIGINT, SIGTERM, SIGPIPE}) std::signal(s, SIG_DFL);
}

}  // namespace

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
    if (!outputTo.empty())
        outFile = open(outputTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    GPid pid = 0;
    GError* failure = nullptr;
    // Not reaped by GLib: wait() reaps it.
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

bool ChildProcess::readMore(double timeoutSeconds) {
    pollfd fd{out_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(timeoutSeconds * 1000) + 1) <= 0) return false;
    char chunk[1 << 16];
    ssize_t n = read(out_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) outputEnded_ = true;
    else buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

void ChildProcess::writeLine(const std::string& text) {
    const std::string line = text + "\n";
    // A pipe takes a line of up to PIPE_BUF bytes whole or not at all.
    while (in_ >= 0 && write(in_, line.data(), line.size()) < 0 && errno == EINTR) {
    }
}

void ChildProcess::closeInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

void ChildProcess::signal(int signalNumber) {
    if (pid_ > 0) kill(static_cast<pid_t>(pid_), signalNumber);
}

std::optional<int> ChildProcess::wait(double timeoutSeconds) {
    if (pid_ <= 0) return std::nullopt;
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        int status = 0;
        pid_t done = wait4(static_cast<pid_t>(pid_), &status, WNOHANG, &usage_);
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

#endif

}  // namespace keyloom::test
