#include "platform/fake/fakePlatform.h"

#include <algorithm>
#include <cstdio>

#include "platform/virtualKeys.h"

namespace keyloom::platform {

void FakePlatform::write(const std::string& line) {
    if (sink_ != nullptr)
        *sink_ << line << '\n';
    else
        log.push_back(line);
}

void FakePlatform::toolkitLine(const std::string& line) {
    if (logToolkit) write(line);
}

void FakePlatform::eventsRan() {
    ++eventRuns;
    if (onEvents) onEvents();
}

void FakePlatform::keybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) {
    bool up = (flags & kKeyUp) != 0;
    write("key " + std::to_string(vk) + (up ? " up" : " down"));
    if (up) return;
    if (vk == vk::kCapital) locks[0] = !locks[0];
    if (vk == vk::kNumLock) locks[1] = !locks[1];
    if (vk == vk::kScroll) locks[2] = !locks[2];
}

void FakePlatform::mouseEvent(std::uint32_t flags) {
    const char* line = flags == kLeftDown    ? "button left down"
                       : flags == kLeftUp    ? "button left up"
                       : flags == kRightDown ? "button right down"
                       : flags == kRightUp   ? "button right up"
                                             : nullptr;
    if (line != nullptr) write(line);
}

void FakePlatform::setCursorPos(int x, int y) {
    cursor = {x, y};
    write("move " + std::to_string(x) + " " + std::to_string(y));
}

std::int16_t FakePlatform::getAsyncKeyState(int vk) {
    auto it = keyStates.find(vk);
    return it == keyStates.end() ? 0 : it->second;
}

void FakePlatform::setKeyboardState(const std::array<std::uint8_t, 256>&) { ++resetCount; }

int FakePlatform::swapMouseButton(int swap) {
    int previous = buttonsSwapped ? 1 : 0;
    buttonsSwapped = swap != 0;
    return previous;
}

bool FakePlatform::activateWindow(const std::string& title) {
    write("activate " + title);
    return missingTitles.count(title) == 0;
}

void FakePlatform::typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                            const StopCheck& stopAsked) {
    lastStrokes = strokes;
    write("type " + text);
    typingFailure_ = untypableTexts.count(text) != 0 ? "\"" + text + "\" was not typed" : "";
    if (typingAsksStop) stopAsked();
}

std::optional<long> FakePlatform::startProgram(const std::string& commandLine) {
    write("run " + commandLine);
    if (failingPrograms.count(commandLine) != 0) return std::nullopt;
    return nextPid_++;
}

bool FakePlatform::activateProcessWindow(long) {
    if (windowlessPolls > 0) {
        --windowlessPolls;
        return false;
    }
    return true;
}

bool FakePlatform::openDocument(const std::string& path) {
    write("open " + path);
    return unopenableDocuments.count(path) == 0;
}

bool FakePlatform::stopKeyPressed() {
    if (stopKeyPresses <= 0) return false;
    --stopKeyPresses;
    return true;
}

void FakePlatform::letEventsRun() {
    toolkitLine("events");
    eventsRan();
}

void FakePlatform::waitUntil(double deadline) {
    char line[64];
    std::snprintf(line, sizeof line, "wait %.3f", std::max(0.0, deadline - clock));
    write(line);
    clock = std::max(clock, deadline);
    eventsRan();
}

void FakePlatform::shortWait(int ms) {
    toolkitLine("short " + std::to_string(ms));
    clock += ms / 1000.0;
    eventsRan();
}

void FakePlatform::sleep(int ms) {
    toolkitLine("sleep " + std::to_string(ms));
    clock += ms / 1000.0;
}

MessageAnswer FakePlatform::messageBox(const std::string& text, const std::string& title,
                                       MessageStyle style) {
    write("message " + text);
    toolkitLine("title " + title);
    MessageAnswer answer = style == MessageStyle::YesNoQuestion ? MessageAnswer::No
                                                                : MessageAnswer::Ok;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    return answer;
}

std::optional<std::string> FakePlatform::fileDialog(DialogKind kind, const std::string& filter,
                                                    int filterIndex) {
    toolkitLine(std::string(kind == DialogKind::Open ? "open-dialog " : "save-dialog ") +
                std::to_string(filterIndex) + " " + filter);
    if (dialogPaths.empty()) return std::nullopt;
    auto path = dialogPaths.front();
    dialogPaths.pop_front();
    return path;
}

bool FakePlatform::showHelp() {
    toolkitLine("help");
    return helpAvailable;
}

void FakePlatform::setClipboardText(const std::string& text) {
    toolkitLine("clipboard " + text);
    clipboard = text;
}

}  // namespace keyloom::platform
