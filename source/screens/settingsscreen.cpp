#include "screens/settingsscreen.h"

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
    GameAction other = awaited;
    const bool taken = FixedGameAction(awaitedPad, code, &other) ||
                       (awaitedPad ? settings->ActionOfPadButton(code, other)
                                   : settings->ActionOfKey(code, other));
    const std::string name = Shown(awaitedPad ? PadButtonName(code) : KeyName(code));
    if (taken && other != awaited) {
        message = name + " is already used: " + kActionNames[static_cast<int>(other)];
        return;
    }
    if (awaitedPad) {
        settings->SetPadButton(awaited, code);
    } else {
        settings->SetKey(awaited, code);
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

void C_SettingsScreen::DrawCell(const TextBox& box, const std::string& text, bool isAwaited) {
    uint32_t colour = kTextColour;
    if (isAwaited) {
        colour = kAwaitColour;
    } else if (!capturing && box.Contains(context.input.GetMouseX(), context.input.GetMouseY())) {
        colour = kHoverColour;
    }
    font->SetColour(colour);
    font->DrawText(text, box.CentreX(), box.CentreY(), TEXT_CENTERED | TEXT_FILTERED);
}

void C_SettingsScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kScale, kScale}, kOpaqueWhite);
    for (int i = 0; i < kGameActionCount; ++i) {
        const auto action = static_cast<GameAction>(i);
        const bool keyAwaited = capturing && awaited == action && !awaitedPad;
        const bool padAwaited = capturing && awaited == action && awaitedPad;
        DrawCell(KeyBox(i), keyAwaited ? "..." : Shown(KeyName(settings->GetKey(action))),
                 keyAwaited);
        DrawCell(PadBox(i),
                 padAwaited ? "..." : Shown(PadButtonName(settings->GetPadButton(action))),
                 padAwaited);
    }
    DrawCell(VolumeValueBox(OPTION_MUSIC), std::to_string(settings->GetMusicVolume()), false);
    DrawCell(VolumeValueBox(OPTION_EFFECTS), std::to_string(settings->GetEffectsVolume()), false);
    DrawCell(OptionBox(OPTION_FULLSCREEN), OnOff(settings->IsFullscreen()), false);
    DrawCell(OptionBox(OPTION_PREVIEW), OnOff(settings->IsDropPreviewOn()), false);
    if (!message.empty()) {
        font->SetColour(kMessageColour);
        font->DrawText(message, kMessageBox.left + kMessageInset, kMessageBox.top + kMessageInset,
                       TEXT_FILTERED);
    }
    defaultsButton->Render();
    menuButton->Render();
    context.input.DrawMousePointer();
}
