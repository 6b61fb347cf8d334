#include "store/keynames.h"

#include "core/keycodes.h"
#include "core/padbuttons.h"

namespace {

struct Name {
    int code;
    const char* name;
};

constexpr Name kKeyNames[] = {
    {DIK_ESCAPE, "escape"},
    {DIK_1, "1"},
    {DIK_2, "2"},
    {DIK_3, "3"},
    {DIK_4, "4"},
    {DIK_5, "5"},
    {DIK_6, "6"},
    {DIK_7, "7"},
    {DIK_8, "8"},
    {DIK_9, "9"},
    {DIK_0, "0"},
    {DIK_MINUS, "minus"},
    {DIK_EQUALS, "equals"},
    {DIK_BACK, "backspace"},
    {DIK_TAB, "tab"},
    {DIK_Q, "q"},
    {DIK_W, "w"},
    {DIK_E, "e"},
    {DIK_R, "r"},
    {DIK_T, "t"},
    {DIK_Y, "y"},
    {DIK_U, "u"},
    {DIK_I, "i"},
    {DIK_O, "o"},
    {DIK_P, "p"},
    {DIK_LBRACKET, "lbracket"},
    {DIK_RBRACKET, "rbracket"},
    {DIK_RETURN, "enter"},
    {DIK_LCONTROL, "lcontrol"},
    {DIK_A, "a"},
    {DIK_S, "s"},
    {DIK_D, "d"},
    {DIK_F, "f"},
    {DIK_G, "g"},
    {DIK_H, "h"},
    {DIK_J, "j"},
    {DIK_K, "k"},
    {DIK_L, "l"},
    {DIK_SEMICOLON, "semicolon"},
    {DIK_APOSTROPHE, "apostrophe"},
    {DIK_GRAVE, "grave"},
    {DIK_LSHIFT, "lshift"},
    {DIK_BACKSLASH, "backslash"},
    {DIK_Z, "z"},
    {DIK_X, "x"},
    {DIK_C, "c"},
    {DIK_V, "v"},
    {DIK_B, "b"},
    {DIK_N, "n"},
    {DIK_M, "m"},
    {DIK_COMMA, "comma"},
    {DIK_PERIOD, "period"},
    {DIK_SLASH, "slash"},
    {DIK_RSHIFT, "rshift"},
    {DIK_MULTIPLY, "numpadmultiply"},
    {DIK_LMENU, "lalt"},
    {DIK_SPACE, "space"},
    {DIK_CAPITAL, "capslock"},
    {DIK_F1, "f1"},
    {DIK_F2, "f2"},
    {DIK_F3, "f3"},
    {DIK_F4, "f4"},
    {DIK_F5, "f5"},
    {DIK_F6, "f6"},
    {DIK_F7, "f7"},
    {DIK_F8, "f8"},
    {DIK_F9, "f9"},
    {DIK_F10, "f10"},
    {DIK_NUMLOCK, "numlock"},
    {DIK_SCROLL, "scrolllock"},
    {DIK_NUMPAD7, "numpad7"},
    {DIK_NUMPAD8, "numpad8"},
    {DIK_NUMPAD9, "numpad9"},
    {DIK_SUBTRACT, "numpadminus"},
    {DIK_NUMPAD4, "numpad4"},
    {DIK_NUMPAD5, "numpad5"},
    {DIK_NUMPAD6, "numpad6"},
    {DIK_ADD, "numpadplus"},
    {DIK_NUMPAD1, "numpad1"},
    {DIK_NUMPAD2, "numpad2"},
    {DIK_NUMPAD3, "numpad3"},
    {DIK_NUMPAD0, "numpad0"},
    {DIK_DECIMAL, "numpadperiod"},
    {DIK_OEM_102, "extrabackslash"},
    {DIK_F11, "f11"},
    {DIK_F12, "f12"},
    {DIK_F13, "f13"},
    {DIK_F14, "f14"},
    {DIK_F15, "f15"},
    {DIK_NUMPADEQUALS, "numpadequals"},
    {DIK_NUMPADENTER, "numpadenter"},
    {DIK_RCONTROL, "rcontrol"},
    {DIK_NUMPADCOMMA, "numpadcomma"},
    {DIK_DIVIDE, "numpaddivide"},
    {DIK_SYSRQ, "printscreen"},
    {DIK_RMENU, "ralt"},
    {DIK_PAUSE, "pause"},
    {DIK_HOME, "home"},
    {DIK_UP, "up"},
    {DIK_PRIOR, "pageup"},
    {DIK_LEFT, "left"},
    {DIK_RIGHT, "right"},
    {DIK_END, "end"},
    {DIK_DOWN, "down"},
    {DIK_NEXT, "pagedown"},
    {DIK_INSERT, "insert"},
    {DIK_DELETE, "delete"},
    {DIK_LWIN, "lwin"},
    {DIK_RWIN, "rwin"},
    {DIK_APPS, "menu"},
};

constexpr Name kPadButtonNames[] = {
    {PAD_A, "a"},
    {PAD_B, "b"},
    {PAD_X, "x"},
    {PAD_Y, "y"},
    {PAD_BACK, "back"},
    {PAD_GUIDE, "guide"},
    {PAD_START, "start"},
    {PAD_LEFT_STICK, "leftstick"},
    {PAD_RIGHT_STICK, "rightstick"},
    {PAD_LEFT_SHOULDER, "leftshoulder"},
    {PAD_RIGHT_SHOULDER, "rightshoulder"},
    {PAD_DPAD_UP, "dpadup"},
    {PAD_DPAD_DOWN, "dpaddown"},
    {PAD_DPAD_LEFT, "dpadleft"},
    {PAD_DPAD_RIGHT, "dpadright"},
};

template <std::size_t N>
std::string NameOf(const Name (&table)[N], int code) {
    for (const Name& row : table) {
        if (row.code == code) {
            return row.name;
        }
    }
    return "";
}

template <std::size_t N>
int CodeOf(const Name (&table)[N], const std::string& name) {
    for (const Name& row : table) {
        if (name == row.name) {
            return row.code;
        }
    }
    return -1;
}

}  // namespace

std::string KeyName(int key) {
    return NameOf(kKeyNames, key);
}

int KeyFromName(const std::string& name) {
    return CodeOf(kKeyNames, name);
}

std::string PadButtonName(int button) {
    return NameOf(kPadButtonNames, button);
}

int PadButtonFromName(const std::string& name) {
    return CodeOf(kPadButtonNames, name);
}
