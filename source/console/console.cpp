#include "console/console.h"

#include <algorithm>
#include <cctype>

#include "console/consolecommands.h"
#include "core/keycodes.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr int kSlideStep = 15;
constexpr char kTab = 9;
constexpr char kEnter = 13;
constexpr char kBackspace = 8;
constexpr char kEscape = 27;

constexpr char kFontFace[] = "HE_TERMINAL";
constexpr int kFontSize = 9;
constexpr uint32_t kFontColour = 0x321E1E1E;
constexpr char kBackdropPicture[] = "console_top.png";
constexpr int kTextLeft = 13;
constexpr int kLineCapacity = 40;
// The gap between the slid-down area and the input bar, as a share of a line.
constexpr float kPadShare = 0.2f;

bool IsContinuationByte(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// How many bytes the UTF-8 character that starts with `lead` has; 0 when no
// valid character starts with it.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Whether `second` may follow `lead`: rules out overlong forms, surrogates
// and code points beyond U+10FFFF.
bool ValidSecondByte(unsigned char lead, unsigned char second) {
    switch (lead) {
        case 0xE0:
            return second >= 0xA0 && second <= 0xBF;
        case 0xED:
            return second >= 0x80 && second <= 0x9F;
        case 0xF0:
            return second >= 0x90 && second <= 0xBF;
        case 0xF4:
            return second >= 0x80 && second <= 0x8F;
        default:
            return IsContinuationByte(second);
    }
}

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

C_Console::C_Console() = default;

C_Console::~C_Console() {
    font.reset();
    backdrop.reset();
}

HRESULT C_Console::Init() {
    fpsFlag = 0;
    testFlag = 0;
    mouseFlag = 0;
    pauseFlag = 0;
    font = std::make_unique<C_Font>(kFontFace, kFontSize, kFontColour);
    backdrop = std::make_unique<C_Sprite>(kBackdropPicture);
    lineHeight = font->GetLineHeight();
    lineCapacity = kLineCapacity;
    height = lineHeight * lineCapacity;
    offset = 0;
    AddLine("-- Vorta Console --");
    AddLine("-- Press <TAB> to toggle the Console window.");
    initialised = 1;
    return S_OK;
}

void C_Console::AddLine(std::string text) {
    std::lock_guard<std::mutex> guard(linesLock);
    lines.push_front(std::move(text));
    // Here rather than in Update: frames stop while the window is inactive,
    // and the network handler prints on regardless.
    if (lines.size() > static_cast<std::size_t>(kLineCapacity)) {
        lines.pop_back();
    }
}

std::list<std::string> C_Console::GetLines() const {
    std::lock_guard<std::mutex> guard(linesLock);
    return lines;
}

void C_Console::ClearLines() {
    std::lock_guard<std::mutex> guard(linesLock);
    lines.clear();
}

HRESULT C_Console::OnChar(char c) {
    if (c == kTab) {
        open = open != 0 ? 0 : 1;
        return S_OK;
    }
    if (open == 0) {
        return S_OK;
    }
    switch (c) {
        case kEnter:
            partialCharacter.clear();
            Remember(input);
            StopRecalling();
            ExecuteCommand();
            input.clear();
            break;
        case kBackspace:
            RemoveLastCharacter();
            break;
        case kEscape:
            partialCharacter.clear();
            StopRecalling();
            input.clear();
            break;
        default:
            AppendByte(static_cast<unsigned char>(c));
            break;
    }
    return S_OK;
}

void C_Console::OnKeyDown(int key) {
    if (open == 0) {
        return;
    }
    if (key == DIK_UP && recalled < history.size()) {
        if (recalled == 0) {
            draft = input;
        }
        input = history[recalled++];
    } else if (key == DIK_DOWN && recalled > 0) {
        --recalled;
        input = recalled == 0 ? draft : history[recalled - 1];
    } else {
        return;
    }
    partialCharacter.clear();
}

void C_Console::Remember(const std::string& line) {
    if (IsBlank(line) || (!history.empty() && history.front() == line)) {
        return;
    }
    history.push_front(line);
    if (history.size() > kHistorySize) {
        history.pop_back();
    }
}

void C_Console::StopRecalling() {
    recalled = 0;
    draft.clear();
}

void C_Console::AppendByte(unsigned char byte) {
    if (byte < 0x80) {
        partialCharacter.clear();
        AppendCharacter(std::string(1, static_cast<char>(byte)));
        return;
    }
    if (!IsContinuationByte(byte)) {
        // A new lead byte abandons any character still unfinished.
        partialLength = SequenceLength(byte);
        partialCharacter.clear();
        if (partialLength != 0) {
            partialCharacter += static_cast<char>(byte);
        }
        return;
    }
    if (partialCharacter.empty()) {
        return;  // a stray continuation byte
    }
    const auto lead = static_cast<unsigned char>(partialCharacter[0]);
    if (partialCharacter.size() == 1 && !ValidSecondByte(lead, byte)) {
        partialCharacter.clear();
        return;
    }
    partialCharacter += static_cast<char>(byte);
    if (partialCharacter.size() == partialLength) {
        AppendCharacter(partialCharacter);
        partialCharacter.clear();
    }
}

void C_Console::AppendCharacter(const std::string& character) {
    if (input.size() + character.size() <= kMaxInputBytes) {
        input += character;
    }
}

void C_Console::RemoveLastCharacter() {
    partialCharacter.clear();
    while (!input.empty() && IsContinuationByte(static_cast<unsigned char>(input.back()))) {
        input.pop_back();
    }
    if (!input.empty()) {
        input.pop_back();
    }
}

void C_Console::ExecuteCommand() {
    if (IsBlank(input)) {
        AddLine("> " + input);
        return;
    }
    // The word runs from the very start for as many bytes as the first run of
    // non-blanks is long, so a line that starts with a blank matches nothing.
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    const auto first = std::find_if_not(input.begin(), input.end(), isSpace);
    const auto runEnd = std::find_if(first, input.end(), isSpace);
    const auto wordLength = static_cast<std::size_t>(runEnd - first);
    const std::string word = input.substr(0, wordLength);
    const std::string argument = input.size() > wordLength ? input.substr(wordLength + 1) : "";

    std::optional<std::string> reply;
    if (const ConsoleCommand* command = FindConsoleCommand(word); command != nullptr) {
        reply = command->handler(*this, argument);
    } else {
        reply = "Unknown Input: \"" + input + "\" ?";
    }
    if (reply) {
        input = *reply;
        AddLine("> " + input);
    }
}

HRESULT C_Console::Update() {
    if (open != 0 && offset < height) {
        offset += kSlideStep;
        if (offset > height) {
            offset = height;
        }
    } else if (open == 0 && offset > 0) {
        offset -= kSlideStep;
        if (offset < 0) {
            offset = 0;
        }
    }
    return S_OK;
}

HRESULT C_Console::Render() {
    if (open == 0 && offset <= 0) {
        return S_OK;
    }
    const int pad = static_cast<int>(static_cast<float>(lineHeight) * kPadShare);
    const float barTop = static_cast<float>(offset + pad);
    if (backdrop) {
        // The picture is one row high: its vertical scale is the height drawn.
        backdrop->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {1.0f, barTop}, kBackdropColour);
        backdrop->Draw({0.0f, barTop}, {0.0f, 0.0f}, 0.0f,
                       {1.0f, static_cast<float>(lineHeight + pad)}, kInputBarColour);
    }
    if (!font) {
        return S_OK;
    }
    font->SetColour(kInputColour);
    font->DrawText(input, kTextLeft, offset + pad, TEXT_FILTERED);
    font->SetColour(kLineColour);
    std::lock_guard<std::mutex> guard(linesLock);
    int y = offset - height;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (y > offset - lineHeight) {
            break;
        }
        font->DrawText(*line, kTextLeft, y, TEXT_FILTERED);
        y += lineHeight;
    }
    return S_OK;
}
