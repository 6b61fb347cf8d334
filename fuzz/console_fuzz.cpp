// Typed bytes into the console: each byte as a key's character, so the input
// line, its editing keys and every command the line may name are exercised.
#include <cstdint>
#include <string>

#include "console/console.h"
#include "core/globals.h"
#include "promise.h"

namespace {

constexpr char kTab = 9;
constexpr char kEnter = 13;

// Strict UTF-8: no overlong forms, surrogates, or code points past U+10FFFF.
bool IsValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead < 0xF8) {
            length = 4;
            code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        static const uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (InstallFuzzPrompt(), true);
    (void)ready;
    // Fresh framework objects: the commands change the model and the console.
    DestroyFrameworkObjects();
    CreateFrameworkObjects();
    C_Console& console = *g_pConsole;
    console.OnChar(kTab);
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        // Other bytes only append, so the line is checked whole around each
        // key that may cut or clear it, and at the end: a bad append shows.
        const bool editing = static_cast<unsigned char>(c) < 0x20;
        if (editing) {
            FUZZ_PROMISE(IsValidUtf8(console.GetInput()));
        }
        console.OnChar(c);
        FUZZ_PROMISE(console.GetInput().size() <= C_Console::kMaxInputBytes);
        if (editing) {
            FUZZ_PROMISE(IsValidUtf8(console.GetInput()));
        }
        if (c == kEnter && console.IsOpen()) {
            FUZZ_PROMISE(console.GetInput().empty());
            console.Update();
        }
    }
    FUZZ_PROMISE(IsValidUtf8(console.GetInput()));
    // The next frame trims the lines to what the console shows.
    console.Update();
    FUZZ_PROMISE(console.GetLines().size() <=
                 static_cast<size_t>(console.GetHeight() / console.GetLineHeight()));
    return 0;
}
