#include "probe.h"

namespace keyloom::test {

std::wstring probeProgram() { return L"\"" + buildPath(KEYLOOM_WINPROBE) + L"\""; }

std::wstring playerProgram() { return L"\"" + buildPath(KEYLOOM_PLAY) + L"\""; }

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

Probe::Probe(const std::string& title)
    : title_(title),
      process_(probeProgram() + L" \"" + wide(title) + L"\"") {
    ready_ = process_.waitForLine([](const std::string& l) { return l == "ready"; }, 30s);
    mark();
}

HWND Probe::window() const { return FindWindowW(L"KeyloomProbe", wide(title_).c_str()); }

bool Probe::waitFor(const std::string& line, std::chrono::milliseconds timeout) {
    return process_.waitForLine([&line](const std::string& l) { return l == line; }, timeout, from_);
}

std::vector<std::string> Probe::linesAfterMark(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> all = process_.lines();
    std::vector<std::string> out;
    for (std::size_t i = from_; i < all.size(); ++i)
        for (const std::string& p : prefixes)
            if (all[i].rfind(p, 0) == 0) {
                out.push_back(all[i]);
                break;
            }
    return out;
}

}  // namespace keyloom::test
