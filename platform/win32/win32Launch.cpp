// Starting programs and opening documents.
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/win32Desktop.h"
#include "platform/win32/win32Text.h"

namespace keyloom::platform {

std::optional<long> Win32Desktop::startProgram(const std::string& commandLine) {
    std::wstring line = win32::toWide(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return std::nullopt;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(process.dwProcessId);
}

bool Win32Desktop::openDocument(const std::string& path) {
    // The shell's "Open" of the document from the folder C:\ in a normal
    // window. A name that the ANSI code page cannot hold exactly goes by its
    // UTF-16 form: a best-fit substitute could open another file.
    std::wstring wide = win32::toWide(path);
    HINSTANCE result;
    if (auto ansi = win32::toAnsiExactly(wide))
        result = ShellExecuteA(GetDesktopWindow(), "Open", ansi->c_str(), "", "C:\\", SW_SHOWNORMAL);
    else
        result = ShellExecuteW(GetDesktopWindow(), L"Open", wide.c_str(), L"", L"C:\\", SW_SHOWNORMAL);
    // A value of 32 or less is the shell's failure indication.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace keyloom::platform
