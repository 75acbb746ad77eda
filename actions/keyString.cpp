#include "actions/keyString.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/virtualKeys.h"

namespace keyloom {
namespace {

using platform::KeyStroke;
using Kind = KeyStroke::Kind;

// Decodes one UTF-8 sequence at `pos`, moving `pos` past it.
char32_t decodeAt(std::string_view text, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = (b0 >> 5) == 0x6 ? 1 : (b0 >> 4) == 0xE ? 2 : (b0 >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || pos + static_cast<std::size_t>(extra) >= text.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t cp = b0 & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char b = byte(pos + static_cast<std::size_t>(i));
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += static_cast<std::size_t>(extra) + 1;
    // Overlong forms, surrogates and values past U+10FFFF are no characters.
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0xFFFD;
    return cp;
}

struct KeyName {
    std::string_view name;
    std::uint8_t vk;
};

// Key names in braces and their virtual-key codes; F1 to F16 are read apart.
constexpr std::array kKeyNames{
    KeyName{"BACKSPACE", vk::kBack},     KeyName{"BS", vk::kBack},
    KeyName{"BKSP", vk::kBack},          KeyName{"BREAK", vk::kCancel},
    KeyName{"CAPSLOCK", vk::kCapital},   KeyName{"CLEAR", vk::kClear},
    KeyName{"DELETE", vk::kDelete},      KeyName{"DEL", vk::kDelete},
    KeyName{"DOWN", vk::kDown},          KeyName{"END", vk::kEnd},
    KeyName{"ENTER", vk::kReturn},       KeyName{"ESC", vk::kEscape},
    KeyName{"ESCAPE", vk::kEscape},      KeyName{"HELP", vk::kHelp},
    KeyName{"HOME", vk::kHome},          KeyName{"INSERT", vk::kInsert},
    KeyName{"INS", vk::kInsert},         KeyName{"LEFT", vk::kLeft},
    KeyName{"NUMLOCK", vk::kNumLock},    KeyName{"PGDN", vk::kNext},
    KeyName{"PGUP", vk::kPrior},         KeyName{"PRTSC", vk::kSnapshot},
    KeyName{"RIGHT", vk::kRight},        KeyName{"SCROLLLOCK", vk::kScroll},
    KeyName{"TAB", vk::kTab},            KeyName{"UP", vk::kUp},
    KeyName{"ADD", vk::kAdd},            KeyName{"SUBTRACT", vk::kSubtract},
    KeyName{"MULTIPLY", vk::kMultiply},  KeyName{"DIVIDE", vk::kDivide},
};

struct Modifier {
    char32_t sign;
    std::uint8_t vk;
};

constexpr std::array kModifiers{Modifier{U'+', vk::kShift}, Modifier{U'^', vk::kControl},
                                Modifier{U'%', vk::kMenu}};

bool equalsIgnoringCase(std::u32string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char32_t x, char y) {
               char32_t up = x >= U'a' && x <= U'z' ? x - U'a' + U'A' : x;
               return up == static_cast<char32_t>(y);
           });
}

// The virtual-key code of a brace's key name; 0 when it names no key.
std::uint8_t keyNameCode(std::u32string_view name) {
    for (const KeyName& k : kKeyNames)
        if (equalsIgnoringCase(name, k.name)) return k.vk;
    if (name.size() >= 2 && name.size() <= 3 && (name[0] == U'F' || name[0] == U'f')) {
        int n = 0;
        for (char32_t c : name.substr(1)) {
            if (c < U'0' || c > U'9') return 0;
            n = n * 10 + static_cast<int>(c - U'0');
        }
        if (n >= 1 && n <= 16 && name[1] != U'0') return static_cast<std::uint8_t>(vk::kF1 + n - 1);
    }
    return 0;
}

bool isAsciiLetterOrDigit(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

// One key of the notation: a character to type or a virtual key to tap.
struct Key {
    bool isChar = true;
    char32_t ch = 0;
    std::uint8_t vk = 0;
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {
        for (std::size_t pos = 0; pos < text.size();) {
            offsets_.push_back(pos);
            chars_.push_back(decodeAt(text, pos));
        }
        offsets_.push_back(text.size());
    }

    KeyStringResult run() {
        while (error_.empty() && pos_ < chars_.size()) step();
        if (error_.empty() && !groups_.empty())
            fail("\"(\" at character " + std::to_string(groups_.back().openedAt + 1) +
                 " has no matching \")\"");
        releasePending();
        if (!error_.empty()) return {{}, "Cannot type this text: " + error_ + "."};
        return {std::move(strokes_), {}};
    }

private:
    struct Group {
        std::vector<std::uint8_t> modifiers;  // held for the whole group
        std::size_t openedAt;
    };

    void step() {
        char32_t c = chars_[pos_];
        auto modifier = std::find_if(kModifiers.begin(), kModifiers.end(),
                                     [c](const Modifier& m) { return m.sign == c; });
        if (modifier != kModifiers.end()) {
            pressModifier(modifier->vk);
        } else if (c == U'(') {
            groups_.push_back({std::move(pending_), pos_});
            pending_.clear();
            ++pos_;
        } else if (c == U')') {
            closeGroup();
        } else if (c == U'{') {
            brace();
        } else if (c == U'~') {
            ++pos_;
            emitKey(Key{false, 0, vk::kReturn}, 1);
        } else {
            ++pos_;
            emitKey(Key{true, c, 0}, 1);
        }
    }

    void pressModifier(std::uint8_t vk) {
        bool held = std::count(pending_.begin(), pending_.end(), vk) > 0;
        for (const Group& g : groups_)
            held = held || std::count(g.modifiers.begin(), g.modifiers.end(), vk) > 0;
        if (held) {
            fail("\"" + slice(pos_, pos_ + 1) + "\" at character " + std::to_string(pos_ + 1) +
                 " repeats a modifier before its key");
            return;
        }
        ++pos_;
        pending_.push_back(vk);
        push({Kind::Press, 0, vk});
    }

    void closeGroup() {
        if (groups_.empty()) {
            fail("\")\" at character " + std::to_string(pos_ + 1) + " has no matching \"(\"");
            return;
        }
        ++pos_;
        releasePending();
        std::vector<std::uint8_t> modifiers = std::move(groups_.back().modifiers);
        groups_.pop_back();
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
            push({Kind::Release, 0, *it});
    }

    // "{x}", "{x N}", "{NAME}", "{NAME N}". The first character after "{" always
    // belongs to the name, so "{}}" and "{{}" are the braces themselves.
    void brace() {
        const std::size_t open = pos_;
        std::size_t i = open + 1;
        if (i < chars_.size()) ++i;
        while (i < chars_.size() && chars_[i] != U' ' && chars_[i] != U'}') ++i;
        const std::size_t nameEnd = std::min(i, chars_.size());
        std::size_t countBegin = nameEnd;
        if (i < chars_.size() && chars_[i] == U' ') {
            countBegin = ++i;
            while (i < chars_.size() && chars_[i] != U'}') ++i;
        }
        if (i >= chars_.size() || open + 1 == nameEnd) {
            fail("\"{\" at character " + std::to_string(open + 1) + " has no matching \"}\"");
            return;
        }
        const std::size_t close = i;
        pos_ = close + 1;
        std::u32string_view all(chars_.data(), chars_.size());
        std::u32string_view name = all.substr(open + 1, nameEnd - open - 1);
        Key key;
        if (name.size() == 1) {
            key = Key{true, name[0], 0};
        } else if (std::uint8_t vk = keyNameCode(name); vk != 0) {
            key = Key{false, 0, vk};
        } else {
            fail("\"" + slice(open, close + 1) + "\" is not a key name");
            return;
        }
        std::size_t count = 1;
        if (countBegin != nameEnd) {
            auto number = readCount(all.substr(countBegin, close - countBegin));
            if (!number) {
                fail("\"" + slice(open, close + 1) +
                     "\": the repeat count must be a whole number from 0 to " +
                     std::to_string(kMaxRepeat));
                return;
            }
            count = *number;
        }
        emitKey(key, count);
    }

    static std::optional<std::size_t> readCount(std::u32string_view digits) {
        if (digits.empty() || digits.size() > 5) return std::nullopt;
        std::size_t n = 0;
        for (char32_t c : digits) {
            if (c < U'0' || c > U'9') return std::nullopt;
            n = n * 10 + (c - U'0');
        }
        if (n > kMaxRepeat) return std::nullopt;
        return n;
    }

    // A key typed `count` times, then the modifiers that were waiting for it
    // are let go.
    void emitKey(Key key, std::size_t count) {
        bool modified = !pending_.empty() ||
                        std::any_of(groups_.begin(), groups_.end(),
                                    [](const Group& g) { return !g.modifiers.empty(); });
        KeyStroke stroke{Kind::Char, key.ch, 0};
        if (!key.isChar) {
            stroke = {Kind::Tap, 0, key.vk};
        } else if (modified && isAsciiLetterOrDigit(key.ch)) {
            char32_t up = key.ch >= U'a' && key.ch <= U'z' ? key.ch - U'a' + U'A' : key.ch;
            stroke = {Kind::Tap, 0, static_cast<std::uint8_t>(up)};
        }
        for (std::size_t n = 0; n < count && error_.empty(); ++n) push(stroke);
        releasePending();
    }

    void releasePending() {
        for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) push({Kind::Release, 0, *it});
        pending_.clear();
    }

    void push(KeyStroke stroke) {
        if (!error_.empty()) return;
        if (strokes_.size() >= kMaxStrokes) {
            fail("it makes more than " + std::to_string(kMaxStrokes) + " keystrokes");
            return;
        }
        strokes_.push_back(stroke);
    }

    void fail(std::string problem) {
        if (error_.empty()) error_ = std::move(problem);
    }

    // The original text of characters [from, to).
    std::string slice(std::size_t from, std::size_t to) const {
        return std::string(text_.substr(offsets_[from], offsets_[to] - offsets_[from]));
    }

    std::string_view text_;
    std::vector<char32_t> chars_;
    std::vector<std::size_t> offsets_;  // byte offset of each character, and the end
    std::size_t pos_ = 0;
    std::vector<std::uint8_t> pending_;  // pressed, waiting for their key
    std::vector<Group> groups_;
    std::vector<KeyStroke> strokes_;
    std::string error_;
};

}  // namespace

char32_t decodeFirstCharacter(std::string_view text) {
    std::size_t pos = 0;
    return text.empty() ? U'\0' : decodeAt(text, pos);
}

KeyStringResult parseKeyString(std::string_view text) { return Parser(text).run(); }

}  // namespace keyloom
