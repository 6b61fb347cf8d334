#pragma once

// Buttons of a game controller as the game sees them: the common layout's
// names, whatever the make. The platform layer maps its own button identities
// to these; nothing else ever sees those.

constexpr int PAD_A = 0;
constexpr int PAD_B = 1;
constexpr int PAD_X = 2;
constexpr int PAD_Y = 3;
constexpr int PAD_BACK = 4;
constexpr int PAD_GUIDE = 5;
constexpr int PAD_START = 6;
constexpr int PAD_LEFT_STICK = 7;
constexpr int PAD_RIGHT_STICK = 8;
constexpr int PAD_LEFT_SHOULDER = 9;
constexpr int PAD_RIGHT_SHOULDER = 10;
constexpr int PAD_DPAD_UP = 11;
constexpr int PAD_DPAD_DOWN = 12;
constexpr int PAD_DPAD_LEFT = 13;
constexpr int PAD_DPAD_RIGHT = 14;

// How many buttons there are: every button is below this.
constexpr int kPadButtonCount = 15;

// Which controller a reading of the buttons listens to: a controller's own
// number (from 0, as the platform numbers them), or one of these.
constexpr int kEveryPad = -1;
constexpr int kNoPad = -2;
