// A test of the whole windowed program: a connection of its own to the
// display, the keyboard and mouse as a user drives them, and every key and
// button put back as it was afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "tests/gui/editor/guiProgram.h"
#include "tests/gui/editor/xInput.h"

namespace keyloom::test {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x) << "no X display: run under scripts/with-display.sh";
        guard.emplace(x.get());
        program = std::make_unique<GuiProgram>();
    }
    void TearDown() override { program.reset(); }

    XConnection x;
    std::optional<InputStateGuard> guard;
    UserInput input{x.get()};
    std::unique_ptr<GuiProgram> program;
    TempFolder folder;
};

}  // namespace keyloom::test
