#include "actions/launch.h"

#include "engine/engine.h"

namespace keyloom {
namespace {

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

void runProg::runProgram(Engine& engine, Index entry) {
    std::string commandLine = engine.argument(entry);
    std::optional<long> pid;
    if (!isBlank(commandLine)) pid = engine.desktop.startProgram(commandLine);
    if (!pid) {
        engine.toolkit.dialogs.messageBox(kNotFound, kAppTitle, platform::MessageStyle::Ok);
        return;
    }
    // Bring the new program's window to the front as soon as it has one. A
    // program that shows none in time was still started: that is no error.
    // A stop ends the wait.
    const double deadline = engine.toolkit.events.now() + kWindowTimeout;
    while (!engine.stopTest() && !engine.desktop.activateProcessWindow(*pid) &&
           engine.toolkit.events.now() < deadline)
        engine.toolkit.events.shortWait(20);
}

void executeFile::executeFile(Engine& engine, Index entry) {
    std::string name = engine.argument(entry);
    if (name.empty() || !engine.desktop.openDocument(name))
        engine.toolkit.dialogs.messageBox(kNotFound, kErrorTitle, platform::MessageStyle::Ok);
}

}  // namespace keyloom
