#include "childProcess.h"

#include <cstdio>

namespace keyloom::test {

std::wstring buildPath(const char* path) {
    std::wstring p = wide(path);
    if (!p.empty() && p[0] == L'/') p = L"Z:" + p;
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    return p;
}

ChildProcess::ChildProcess(const std::wstring& commandLine, std::chrono::milliseconds lifetime,
                           DWORD flags) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, &inherit, 0)) return;
    if (!CreatePipe(&output_, &childOut, &inherit, 0)) return;
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                             &startup, &info);
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!ok) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", narrow(commandLine).c_str(),
                     GetLastError());
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    reader_ = std::thread([this] { readOutput(); });
    watchdogStop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watchdog_ = std::thread([this, lifetime] {
        HANDLE handles[2] = {watchdogStop_, process_};
        if (WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(lifetime.count())) ==
            WAIT_TIMEOUT) {
            std::fprintf(stderr, "watchdog: child %lu outlived its test; ending it\n", pid_);
            TerminateProcess(process_, 99);
        }
    });
}

ChildProcess::~ChildProcess() {
    if (process_ != nullptr) {
        closeInput();
        wait(5s);
        SetEvent(watchdogStop_);
        watchdog_.join();
        reader_.join();
        CloseHandle(watchdogStop_);
        CloseHandle(process_);
    }
    if (input_ != nullptr) CloseHandle(input_);
    if (output_ != nullptr) CloseHandle(output_);
}

void ChildProcess::readOutput() {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(output_, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        std::lock_guard lock(mutex_);
        for (DWORD i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
                lines_.push_back(std::move(partial_));
                partial_.clear();
            } else {
                partial_ += buffer[i];
            }
        }
        changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    if (!partial_.empty()) lines_.push_back(std::move(partial_));
    ended_ = true;
    changed_.notify_all();
}

bool ChildProcess::waitForLine(const std::function<bool(const std::string&)>& match,
                               std::chrono::milliseconds timeout, std::size_t from) {
    std::unique_lock lock(mutex_);
    std::size_t checked = from;
    return changed_.wait_for(lock, timeout, [&] {
        for (; checked < lines_.size(); ++checked)
            if (match(lines_[checked])) return true;
        return ended_;
    }) && checked < lines_.size();
}

std::vector<std::string> ChildProcess::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t ChildProcess::lineCount() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

bool ChildProcess::writeInput(const std::string& text) {
    DWORD written = 0;
    return input_ != nullptr &&
           WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

void ChildProcess::closeInput() {
    if (input_ == nullptr) return;
    CloseHandle(input_);
    input_ = nullptr;
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (process_ == nullptr) return std::nullopt;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 98);
        WaitForSingleObject(process_, 5000);
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

}  // namespace keyloom::test
