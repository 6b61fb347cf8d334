#pragma once

#include <string>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "store/settings.h"

// Settings that differ in every field from one number to the next, so a file
// holding parts of two saves shows: the crash test's writer saves them in
// turn, and the test checks the file is exactly one of them.
inline void ApplySnapshot(C_Settings& settings, int number) {
    constexpr int kKeys[] = {DIK_X, DIK_C, DIK_V, DIK_B, DIK_N, DIK_M, DIK_UP};
    settings.SetKey(GameAction::RotateClockwise, kKeys[number % 7]);
    settings.SetPadButton(GameAction::Pause, number % kPadButtonCount);
    settings.SetMusicVolume(number % (C_Settings::kMaxVolume + 1));
    settings.SetEffectsVolume(number / 3 % (C_Settings::kMaxVolume + 1));
    settings.SetFullscreen(number % 2 == 1);
    settings.SetDropPreview(number / 2 % 2 == 1);
    settings.SetLastName("save " + std::to_string(number));
}
