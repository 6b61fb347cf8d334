#include "console/consolecommands.h"

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "model/model.h"
#include "model/stateids.h"
#include "net/net.h"

namespace {

using Reply = std::optional<std::string>;

Reply Quit(C_Console&, const std::string&) {
    g_pModel->SetNextState(STATE_QUIT);
    return std::nullopt;
}

Reply Say(C_Console&, const std::string& argument) {
    return "\"" + argument + "!\"";
}

Reply NewFps(C_Console&, const std::string& argument) {
    // Text that is no number gives 0, which like any rate up to 1 removes the limit.
    g_pModel->SetFrameRate(StringToInt(argument));
    return "done";
}

Reply Clear(C_Console& console, const std::string&) {
    console.ClearLines();
    return std::nullopt;
}

Reply ToggleMouse(C_Console& console, const std::string&) {
    console.SetMouseOn(!console.IsMouseOn());
    return console.IsMouseOn() ? "Mouse Coordinates Turned On" : "Mouse Coordinates Turned Off";
}

Reply ToggleFps(C_Console& console, const std::string&) {
    console.SetFpsOn(!console.IsFpsOn());
    return console.IsFpsOn() ? "FPS Turned On" : "FPS Turned Off";
}

Reply TogglePause(C_Console& console, const std::string&) {
    console.SetPaused(!console.IsPaused());
    return console.IsPaused() ? "Game Paused (Type Pause again to play)" : "Game On!";
}

Reply ToggleTest(C_Console& console, const std::string&) {
    console.SetTestOn(!console.IsTestOn());
    return console.IsTestOn() ? "Testing Thang' On" : "Testing Thang' Off";
}

// The network reports its own failures; the reply is printed regardless.
Reply StartNet(C_Console&, const std::string&) {
    g_pNet->Init();
    return "DirectPlay initialized";
}

Reply Host(C_Console&, const std::string&) {
    g_pNet->Host();
    return "Host command completed";
}

Reply Join(C_Console&, const std::string& hostName) {
    if (hostName.empty()) {
        return "Supply a hostname!";
    }
    g_pNet->Join(hostName);
    return "Join command completed";
}

// Tried in this order.
constexpr ConsoleCommand kCommands[] = {
    {"quit", Quit},       {"exit", Quit},         {"say", Say},       {"newfps", NewFps},
    {"clear", Clear},     {"mouse", ToggleMouse}, {"fps", ToggleFps}, {"pause", TogglePause},
    {"test", ToggleTest}, {"startnet", StartNet}, {"host", Host},     {"join", Join},
};

}  // namespace

const ConsoleCommand* FindConsoleCommand(const std::string& word) {
    for (const ConsoleCommand& command : kCommands) {
        if (word == command.word) {
            return &command;
        }
    }
    return nullptr;
}
