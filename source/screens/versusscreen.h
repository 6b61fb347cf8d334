#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "model/gamestate.h"
#include "screens/screencontext.h"
#include "versus/matchsetup.h"

class C_Button;
class C_Font;
class C_Sprite;

constexpr int kStrengths = 3;

// Where the versus screen's code draws the level, in screen pixels; the
// picture keeps this window dark.
struct TextWindow {
    int x0;
    int y0;
    int x1;
    int y1;
};
constexpr TextWindow kVersusLevelWindow = {312, 388, 400, 436};
constexpr uint32_t kVersusLevelColour = 0xFFF0F0FF;
// The network panel's two lines of status, drawn by the code.
constexpr TextWindow kVersusNetWindow = {76, 540, 637, 600};
constexpr uint32_t kVersusNetColour = 0xFFE6F0FF;

// Versus: a match against the computer at one of three strengths (a button
// or 1, 2, 3), or between two players at this machine (a button or T), from
// a starting level (the - and + buttons or the arrows).
// Over the network: H hosts a match, J takes a host's name or address typed
// (Enter connects; the name resolves while the frame goes on), and Enter
// starts: the host's offer at its level, the joiner's ready, each sent as
// soon as the other player is there to take it. The console's startnet, host and join lead here
// too. Over the internet, through the relay the settings name: C makes a
// room and shows its code, large, to read out to the other player; K joins a
// room by its code and W watches one (each takes the code typed: case,
// spaces and dashes do not matter), the watcher going straight to both
// players' wells. Enter starts a match in a room as in a LAN match: the
// room's maker offers it. Escape goes back to the menu, or stops the typing. It starts from the
// level and strength of the last match handed over, and hands the match
// screen what it chose.
class C_VersusScreen : public C_GameState {
public:
    C_VersusScreen(const ScreenContext& context, const MatchSetup& last);
    ~C_VersusScreen() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    C_Button* GetStrengthButton(int strength) const {
        return strengthButtons[static_cast<size_t>(strength)].get();
    }
    C_Button* GetTwoPlayersButton() const { return twoPlayersButton.get(); }
    // Create a room, join one by its code, watch one.
    C_Button* GetRoomButton(int which) const {
        return roomButtons[static_cast<size_t>(which)].get();
    }
    static constexpr int kCreateRoom = 0;
    static constexpr int kJoinRoom = 1;
    static constexpr int kWatchRoom = 2;
    static constexpr int kRoomButtons = 3;

private:
    void Play(int strength);
    void PlayTwo();
    void StepLevel(int step);
    // The typed name's or code's keys; true while typing.
    bool Type(const std::string& typed);
    // A code's characters as the alphabet has them; the rest are dropped.
    void TypeCode(const std::string& typed);
    // What Enter does with what was typed.
    void Typed();
    void CreateRoom();
    // Starts typing the code of a room to join or (`watch`) to watch.
    void AskCode(bool watch);
    void StartNetworkMatch();
    // Sends what an earlier Enter asked for once the link allows it.
    void MoveLobby();
    void DrawStatus();
    // The lines for a session through a relay, in its state; false where
    // they are a LAN match's (or, in a room made, the code).
    bool RelayStatus(std::string& first, std::string& second) const;
    // A made room's code, large, with the hint to read it out.
    void DrawRoomCode();

    ScreenContext context;
    // The level and strength chosen; a match handed over as its setup.
    MatchSetup chosen;
    // What the keys type: nothing, a host's name, or a room's code.
    enum class Typing { None, HostName, JoinCode, WatchCode };
    Typing typing = Typing::None;
    std::string hostName;
    std::string code;
    // Enter came before it could act: the host's offer goes as soon as a
    // player is in, the joiner's ready as soon as the offer is.
    bool startWhenJoined = false;
    bool readyWhenOffered = false;

    std::unique_ptr<C_Sprite> background;
    std::array<std::unique_ptr<C_Button>, kStrengths> strengthButtons;
    std::unique_ptr<C_Button> twoPlayersButton;
    std::unique_ptr<C_Button> lessButton;
    std::unique_ptr<C_Button> moreButton;
    std::array<std::unique_ptr<C_Button>, kRoomButtons> roomButtons;
    std::unique_ptr<C_Font> levelFont;
    std::unique_ptr<C_Font> statusFont;
    std::unique_ptr<C_Font> codeFont;
};
