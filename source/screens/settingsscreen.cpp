#include "screens/settingsscreen.h"

#include <algorithm>
#include <cctype>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "input/controller.h"
#include "model/model.h"
#include "screens/button.h"
#include "screens/gamekeys.h"
#include "screens/gamesounds.h"
#include "store/keynames.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kScale = 0.7f;
constexpr uint32_t kButtonColour = 0xC8FFFFFF;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr int kTextHeight = 13;
constexpr int kLeftButton = 0;
constexpr int kMessageInset = 14;

// As the picture names the actions, in GameAction's order.
constexpr const char* kActionNames[kGameActionCount] = {
    "Move left",
    "Move right",
    "Rotate counter-clockwise",
    "Rotate clockwise",
    "Drop faster",
    "Start / resume",
    "Pause",
    "Back to menu",
};

enum Option { OPTION_MUSIC, OPTION_EFFECTS, OPTION_FULLSCREEN, OPTION_PREVIEW };

constexpr int kKeyLeft = 290;
constexpr int kKeyRight = 460;
constexpr int kPadLeft = 480;
constexpr int kPadRight = 650;
constexpr int kStepBoxWidth = 40;
constexpr int kValueLeft = 340;
constexpr int kValueRight = 410;
constexpr TextBox kPlayerTabs[kSeats] = {{480, 36, 578, 66}, {588, 36, 686, 66}};
constexpr int kMovesLeft = 556;
constexpr int kMovesRight = 686;
constexpr int kMovesStepWidth = 28;
constexpr int kMovesValueInset = 32;
// The repeat rows sit under the mode's, on the options' pitch; the relay's
// row under them, its box wider than theirs.
constexpr int kFirstRepeatOption = 1;
constexpr int kRelayOption = 3;
constexpr int kRelayLeft = 530;
constexpr char kBackspace = 8;
// No host name and port is longer.
constexpr std::size_t kMaxRelay = 253 + 6;

std::string PlayerWord(int seat) {
    return "player " + std::to_string(seat + 1);
}

// The next multiple of `step` from `value` in `direction`, within the range.
int Stepped(int value, int direction, int step, int least, int most) {
    const int next = direction > 0 ? (value / step + 1) * step : (value - 1) / step * step;
    return std::clamp(next, least, most);
}

std::string Shown(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

std::string OnOff(bool on) {
    return on ? "ON" : "OFF";
}

TextBox Row(int top, int left, int right) {
    return {left, top, right, top + C_SettingsScreen::kRowHeight};
}

bool Clicked(const C_Controller& input, const TextBox& box) {
    return input.GetMouseButtonState(kLeftButton) == KEY_RELEASED &&
           box.Contains(input.GetMouseX(), input.GetMouseY());
}

}  // namespace

TextBox C_SettingsScreen::KeyBox(int action) {
    return Row(kRowTop + kRowStep * action, kKeyLeft, kKeyRight);
}

TextBox C_SettingsScreen::PadBox(int action) {
    return Row(kRowTop + kRowStep * action, kPadLeft, kPadRight);
}

TextBox C_SettingsScreen::OptionBox(int option) {
    return Row(kOptionTop + kOptionStep * option, kKeyLeft, kKeyRight);
}

TextBox C_SettingsScreen::VolumeValueBox(int option) {
    return Row(kOptionTop + kOptionStep * option, kValueLeft, kValueRight);
}

TextBox C_SettingsScreen::VolumeDownBox(int option) {
    return Row(kOptionTop + kOptionStep * option, kKeyLeft, kKeyLeft + kStepBoxWidth);
}

TextBox C_SettingsScreen::VolumeUpBox(int option) {
    return Row(kOptionTop + kOptionStep * option, kKeyRight - kStepBoxWidth, kKeyRight);
}

TextBox C_SettingsScreen::PlayerBox(int seat) {
    return kPlayerTabs[std::clamp(seat, 0, kSeats - 1)];
}

TextBox C_SettingsScreen::MoveModeBox() {
    return Row(kOptionTop, kMovesLeft, kMovesRight);
}

TextBox C_SettingsScreen::RepeatValueBox(int row) {
    return Row(kOptionTop + kOptionStep * (kFirstRepeatOption + row), kMovesLeft + kMovesValueInset,
               kMovesRight - kMovesValueInset);
}

TextBox C_SettingsScreen::RepeatDownBox(int row) {
    return Row(kOptionTop + kOptionStep * (kFirstRepeatOption + row), kMovesLeft,
               kMovesLeft + kMovesStepWidth);
}

TextBox C_SettingsScreen::RepeatUpBox(int row) {
    return Row(kOptionTop + kOptionStep * (kFirstRepeatOption + row), kMovesRight - kMovesStepWidth,
               kMovesRight);
}

TextBox C_SettingsScreen::RelayBox() {
    return Row(kOptionTop + kOptionStep * kRelayOption, kRelayLeft, kMovesRight);
}

C_SettingsScreen::C_SettingsScreen(const ScreenContext& given)
    : context(given),
      settings(&given.settings),
      background(std::make_unique<C_Sprite>("settings.png")),
      defaultsButton(std::make_unique<C_Button>("defaults_button-3-1-3.png", context.input)),
      menuButton(std::make_unique<C_Button>("main_button-3-1-3.png", context.input)),
      font(std::make_unique<C_Font>("Arial", kTextHeight, kTextColour)),
      sounds(std::make_unique<C_GameSounds>()) {
    for (C_Button* button : {defaultsButton.get(), menuButton.get()}) {
        button->SetColour(kButtonColour);
        button->SetScale(kScale, kScale);
    }
    defaultsButton->SetPosition(440, 590);
    menuButton->SetPosition(580, 590);
}

C_SettingsScreen::~C_SettingsScreen() = default;

void C_SettingsScreen::StartCapture(GameAction action, bool pad) {
    capturing = true;
    awaited = action;
    awaitedPad = pad;
    message = pad ? "Press a controller button; Esc gives up" : "Press a key; Esc gives up";
}

void C_SettingsScreen::ShowSeat(int seat) {
    capturing = false;
    message.clear();
    page = std::clamp(seat, 0, kSeats - 1);
}

void C_SettingsScreen::RestoreDefaults() {
    capturing = false;
    settings->RestoreDefaultBindings();
    message.clear();
    Changed();
}

void C_SettingsScreen::HandleInput() {
    if (capturing) {
        HandleCapture();
        return;
    }
    if (typingRelay) {
        HandleRelayTyping();
        return;
    }
    if (context.input.IsKeyReleased(DIK_ESCAPE) || menuButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_MENU);
        return;
    }
    if (defaultsButton->GetState() == BUTTON_CLICKED) {
        RestoreDefaults();
    }
    HandleClicks();
}

void C_SettingsScreen::HandleCapture() {
    if (context.input.GetKeyboardKeyState(DIK_ESCAPE) == KEY_RELEASED ||
        context.input.GetMouseButtonState(kLeftButton) == KEY_RELEASED) {
        capturing = false;
        message.clear();
        return;
    }
    if (awaitedPad) {
        for (int button = 0; button < kPadButtonCount && capturing; ++button) {
            if (context.input.GetPadButtonState(button) == KEY_RELEASED) {
                TryPadButton(button);
            }
        }
        return;
    }
    for (int key = 1; key < kKeyCodeCount && capturing; ++key) {
        if (context.input.GetKeyboardKeyState(key) == KEY_RELEASED) {
            TryKey(key);
        }
    }
}

void C_SettingsScreen::StartRelayTyping() {
    capturing = false;
    typingRelay = true;
    relayText = settings->GetRelay();
    message = "Type the relay's HOST or HOST:PORT; Enter keeps it, Esc gives up";
}

void C_SettingsScreen::HandleRelayTyping() {
    for (const char c : context.input.GetTypedText()) {
        if (c == kBackspace && !relayText.empty()) {
            relayText.pop_back();
        } else if (c > ' ' && c < 0x7F && relayText.size() < kMaxRelay) {
            relayText += c;
        }
    }
    if (context.input.IsKeyReleased(DIK_ESCAPE)) {
        typingRelay = false;
        message.clear();
        return;
    }
    if (!context.input.IsKeyReleased(DIK_RETURN) && !context.input.IsKeyReleased(DIK_NUMPADENTER)) {
        return;
    }
    if (!settings->SetRelay(relayText)) {
        message = "Not a relay address: " + relayText + " (HOST or HOST:PORT)";
        return;
    }
    typingRelay = false;
    message.clear();
    Changed();
}

void C_SettingsScreen::TryKey(int key) {
    if (key == DIK_TAB || KeyName(key).empty()) {
        message = "That key cannot be used";
        return;
    }
    Bind(key);
}

void C_SettingsScreen::TryPadButton(int button) {
    if (PadButtonName(button).empty()) {
        message = "That button cannot be used";
        return;
    }
    Bind(button);
}

void C_SettingsScreen::Bind(int code) {
    // A pad is its player's own: only the shown player's buttons can be
    // taken. The keyboard is shared, and the fixed keys are player 1's.
    GameAction other = awaited;
    int holder = page;
    bool taken = FixedGameAction(awaitedPad, code, &other);
    if (taken && !awaitedPad) {
        holder = 0;
    } else if (!taken) {
        taken = awaitedPad ? settings->ActionOfPadButton(code, other, page)
                           : settings->SeatOfKey(code, holder, other);
    }
    const std::string name = Shown(awaitedPad ? PadButtonName(code) : KeyName(code));
    if (taken && (other != awaited || holder != page)) {
        message = name + " is already used: " + kActionNames[static_cast<int>(other)] + ", " +
                  PlayerWord(holder);
        return;
    }
    if (awaitedPad) {
        settings->SetPadButton(awaited, code, page);
    } else {
        settings->SetKey(awaited, code, page);
    }
    capturing = false;
    message.clear();
    Changed();
}

void C_SettingsScreen::HandleClicks() {
    for (int action = 0; action < kGameActionCount; ++action) {
        if (Clicked(context.input, KeyBox(action))) {
            StartCapture(static_cast<GameAction>(action), false);
        } else if (Clicked(context.input, PadBox(action))) {
            StartCapture(static_cast<GameAction>(action), true);
        }
    }
    for (const int option : {OPTION_MUSIC, OPTION_EFFECTS}) {
        if (Clicked(context.input, VolumeDownBox(option))) {
            ChangeVolume(option, -1);
        } else if (Clicked(context.input, VolumeUpBox(option))) {
            ChangeVolume(option, 1);
        }
    }
    if (Clicked(context.input, OptionBox(OPTION_FULLSCREEN))) {
        settings->SetFullscreen(!settings->IsFullscreen());
        Changed();
    }
    if (Clicked(context.input, OptionBox(OPTION_PREVIEW))) {
        settings->SetDropPreview(!settings->IsDropPreviewOn());
        Changed();
    }
    for (int seat = 0; seat < kSeats; ++seat) {
        if (Clicked(context.input, PlayerBox(seat))) {
            ShowSeat(seat);
        }
    }
    if (Clicked(context.input, RelayBox())) {
        StartRelayTyping();
    }
    HandleMoveClicks();
}

void C_SettingsScreen::HandleMoveClicks() {
    if (Clicked(context.input, MoveModeBox())) {
        MoveRepeat repeat = settings->GetMoveRepeat(page);
        repeat.repeating = !repeat.repeating;
        settings->SetMoveRepeat(page, repeat);
        Changed();
    }
    for (const int row : {kRepeatDelayRow, kRepeatIntervalRow}) {
        if (Clicked(context.input, RepeatDownBox(row))) {
            StepRepeat(row, -1);
        } else if (Clicked(context.input, RepeatUpBox(row))) {
            StepRepeat(row, 1);
        }
    }
}

void C_SettingsScreen::StepRepeat(int row, int direction) {
    MoveRepeat repeat = settings->GetMoveRepeat(page);
    if (row == kRepeatDelayRow) {
        repeat.delayMs = Stepped(repeat.delayMs, direction, kRepeatDelayStep,
                                 C_Settings::kMinRepeatDelay, C_Settings::kMaxRepeatDelay);
    } else {
        repeat.intervalMs = Stepped(repeat.intervalMs, direction, kRepeatIntervalStep,
                                    C_Settings::kMinRepeatInterval, C_Settings::kMaxRepeatInterval);
    }
    settings->SetMoveRepeat(page, repeat);
    Changed();
}

void C_SettingsScreen::ChangeVolume(int option, int step) {
    if (option == OPTION_MUSIC) {
        settings->SetMusicVolume(settings->GetMusicVolume() + step);
    } else {
        settings->SetEffectsVolume(settings->GetEffectsVolume() + step);
    }
    Changed();
    // The tune of this screen plays on at the new volume; an effect is
    // played to be heard.
    if (option == OPTION_EFFECTS) {
        sounds->Play(GAME_SOUND_TURN);
    }
}

void C_SettingsScreen::Changed() {
    context.model.ApplySettings();
    settings->Save();
}

void C_SettingsScreen::Update() {
    defaultsButton->Update();
    menuButton->Update();
}

void C_SettingsScreen::DrawCell(const TextBox& box, const std::string& text, bool isAwaited,
                                uint32_t colour) {
    if (isAwaited) {
        colour = kAwaitColour;
    } else if (!capturing && box.Contains(context.input.GetMouseX(), context.input.GetMouseY())) {
        colour = kHoverColour;
    }
    font->SetColour(colour);
    font->DrawText(text, box.CentreX(), box.CentreY(), TEXT_CENTERED | TEXT_FILTERED);
}

void C_SettingsScreen::DrawMessage() {
    // Two lines when one does not fit: a key with a long name, held by an
    // action with a long name.
    const int width = kMessageBox.right - kMessageBox.left - 2 * kMessageInset;
    std::string first = message;
    std::string second;
    const size_t colon = message.find(": ");
    if (font->Width(message) > width && colon != std::string::npos) {
        first = message.substr(0, colon + 1);
        second = message.substr(colon + 2);
    }
    font->SetColour(kMessageColour);
    const int x = kMessageBox.left + kMessageInset;
    const int top =
        second.empty() ? kMessageBox.top + kMessageInset : kMessageBox.top + kMessageInset / 2;
    font->DrawText(font->Fitted(first, width), x, top, TEXT_FILTERED);
    if (!second.empty()) {
        font->DrawText(font->Fitted(second, width), x, top + kTextHeight + kMessageInset / 2,
                       TEXT_FILTERED);
    }
}

void C_SettingsScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kScale, kScale}, kOpaqueWhite);
    for (int seat = 0; seat < kSeats; ++seat) {
        DrawCell(PlayerBox(seat), Shown(PlayerWord(seat)), false,
                 seat == page ? kTextColour : kOtherPageColour);
    }
    for (int i = 0; i < kGameActionCount; ++i) {
        const auto action = static_cast<GameAction>(i);
        const bool keyAwaited = capturing && awaited == action && !awaitedPad;
        const bool padAwaited = capturing && awaited == action && awaitedPad;
        DrawCell(KeyBox(i), keyAwaited ? "..." : Shown(KeyName(settings->GetKey(action, page))),
                 keyAwaited);
        DrawCell(PadBox(i),
                 padAwaited ? "..." : Shown(PadButtonName(settings->GetPadButton(action, page))),
                 padAwaited);
    }
    DrawCell(VolumeValueBox(OPTION_MUSIC), std::to_string(settings->GetMusicVolume()), false);
    DrawCell(VolumeValueBox(OPTION_EFFECTS), std::to_string(settings->GetEffectsVolume()), false);
    DrawCell(OptionBox(OPTION_FULLSCREEN), OnOff(settings->IsFullscreen()), false);
    DrawCell(OptionBox(OPTION_PREVIEW), OnOff(settings->IsDropPreviewOn()), false);
    const MoveRepeat& repeat = settings->GetMoveRepeat(page);
    DrawCell(MoveModeBox(), repeat.repeating ? "REPEATING" : "ON RELEASE", false);
    DrawCell(RepeatValueBox(kRepeatDelayRow), std::to_string(repeat.delayMs) + " MS", false);
    DrawCell(RepeatValueBox(kRepeatIntervalRow), std::to_string(repeat.intervalMs) + " MS", false);
    // A long address shows its start; the one being typed its end.
    const TextBox relay = RelayBox();
    const std::string shown = typingRelay
                                  ? relayText + "_"
                                  : (settings->GetRelay().empty() ? "NONE" : settings->GetRelay());
    DrawCell(relay, font->Fitted(shown, relay.right - relay.left - 8, typingRelay), typingRelay);
    if (!message.empty()) {
        DrawMessage();
    }
    defaultsButton->Render();
    menuButton->Render();
    context.input.DrawMousePointer();
}
