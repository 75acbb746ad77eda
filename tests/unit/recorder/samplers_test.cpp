// The recorder's samplers against the fake desktop: which lines each
// observation writes, and in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fakePlatform.h"
#include "recorder/samplers.h"
#include "support/harness.h"

namespace keyloom::recorder {
namespace {

constexpr std::int16_t kDown = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kPressedSince = 1;

struct Lines : Recording {
    std::vector<std::string> lines;
    void appendLine(std::string_view line) override { lines.emplace_back(line); }
};

struct Recorder {
    platform::FakePlatform fake;
    SamplerState state;
    Lines out;
    Samplers samplers{fake, fake, state, out};

    std::vector<std::string> passWith(std::initializer_list<int> keys) {
        fake.keyStates.clear();
        for (int vk : keys) fake.keyStates[vk] = kDown;
        out.lines.clear();
        samplers.keyboardPass();
        return out.lines;
    }
};

using Strings = std::vector<std::string>;

// What the poll writes for a key plays back as that key: keypad digits and
// Enter as their main-block twins, Print as PrintScreen, the keypad's
// operators as the characters they type.
TEST(KeyboardPass, EveryKeyWrittenPlaysBackAsThatKey) {
    int written = 0;
    for (int vk = 1; vk < 256; ++vk) {
        Recorder r;
        const Strings lines = r.passWith({vk});
        if (lines.empty()) continue;
        ASSERT_EQ(lines.size(), 1u) << "vk " << vk;
        ++written;
        const std::string played = test::Harness({lines[0]}).run().at(0);
        int twin = vk >= 0x60 && vk <= 0x69 ? vk - 0x30 : vk == 0x6C ? 0x0D : vk == 0x2A ? 0x2C : vk;
        if (vk >= 0x6A && vk <= 0x6F && vk != 0x6C)
            EXPECT_EQ(played, "type " + lines[0].substr(lines[0].size() - 1)) << lines[0];
        else
            EXPECT_EQ(played, "key " + std::to_string(twin) + " down") << lines[0];
    }
    EXPECT_EQ(written, 87) << "no key outside the table writes a line";
}

// Keys held together come in polling order, at every pass while they are
// down. Only the down-now bit counts: a key pressed and released between two
// passes (bit 0 alone) writes nothing.
TEST(KeyboardPass, KeysDownAreWrittenAtEveryPassInPollingOrder) {
    Recorder r;
    EXPECT_EQ(r.passWith({'7', 0x11, 0x12, 0x2C}),
              (Strings{"Press_PrintScreen", "Press_ALT", "Press_CTRL", "SendText >7"}));
    r.out.lines.clear();
    r.fake.keyStates = {{'Q', kDown}, {'A', kPressedSince}, {'B', kDown | kPressedSince}};
    for (int pass = 0; pass < 2; ++pass) r.samplers.keyboardPass();
    r.fake.keyStates.clear();
    r.samplers.keyboardPass();
    EXPECT_EQ(r.out.lines, (Strings{"SendText >b", "SendText >q", "SendText >b", "SendText >q"}));
    EXPECT_EQ(r.fake.resetCount, 4) << "the key-state table is reset after every pass";
}

TEST(CursorSample, WritesAPositionOnlyWhenItDiffersFromTheLastWritten) {
    Recorder r;
    // Resting at 0,0 in a new window, then moved, resting, moved in y, in both, in x.
    for (platform::Point at : {platform::Point{0, 0}, {412, 97}, {412, 97}, {412, 98}, {-5, -1200},
                               {0, -1200}}) {
        r.fake.cursor = at;
        r.samplers.cursorSample();
    }
    EXPECT_EQ(r.out.lines, (Strings{"MouseMove >412,97", "MouseMove >412,98",
                                    "MouseMove >-5,-1200", "MouseMove >0,-1200"}));
}

// The first sample of a new window writes LUp with no LDown before it; a held
// button writes LDown at every sample, then one LUp; a click between two
// samples is caught through the pressed-since bit. With the buttons swapped
// the physical right button is the primary one.
TEST(ButtonSample, WritesWhatThePrimaryButtonDoes) {
    struct Case {
        bool swapped;
        std::vector<std::pair<std::int16_t, std::int16_t>> states;  // left, right at each sample
        Strings lines;
    };
    const std::vector<Case> cases = {
        {false,
         {{0, 0}, {0, 0}, {kDown, 0}, {kDown, 0}, {0, 0}, {0, 0}, {kPressedSince, 0}, {0, 0}},
         {"LUp", "LDown", "LDown", "LUp", "LDown", "LUp"}},
        {true, {{kDown, 0}, {kDown, kDown}, {0, 0}}, {"LUp", "LDown", "LUp"}},
    };
    for (const Case& c : cases) {
        Recorder r;
        r.fake.buttonsSwapped = c.swapped;
        for (auto [left, right] : c.states) {
            r.fake.keyStates[1] = left;
            r.fake.keyStates[2] = right;
            r.samplers.buttonSample();
        }
        EXPECT_EQ(r.out.lines, c.lines) << "swapped " << c.swapped;
    }
}

TEST(ButtonSample, EventsRunAfterTheLineAndThenTheProgramPauses) {
    Recorder r;
    r.fake.logToolkit = true;
    r.fake.cursor = {7, 8};
    r.fake.onEvents = [&] { r.samplers.cursorSample(); };  // the cursor timer was due
    r.samplers.buttonSample();
    EXPECT_EQ(r.out.lines, (Strings{"LUp", "MouseMove >7,8"}));
    EXPECT_EQ(r.fake.log, (Strings{"events", "sleep 25"}));
}

}  // namespace
}  // namespace keyloom::recorder
