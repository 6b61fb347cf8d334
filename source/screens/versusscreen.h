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
constexpr TextWindow kVersusNetWindow = {76, 500, 637, 566};
constexpr uint32_t kVersusNetColour = 0xFFE6F0FF;

// Versus: a match against the computer at one of three strengths (a button
// or 1, 2, 3), or between two players at this machine (a button or T), from
// a starting level (the - and + buttons or the arrows).
// Over the network: H hosts a match, J takes a host's name or address typed
// (Enter connects; the name resolves while the frame goes on), and Enter
// starts: the host's offer at its level, the joiner's ready, each sent as
// soon as the other player is there to take it. The console's startnet, host and join lead here
// too. Escape goes back to the menu, or stops the typing. It starts from the
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

private:
    void Play(int strength);
    void PlayTwo();
    void StepLevel(int step);
    // The typed name's keys; true while typing.
    bool Type(const std::string& typed);
    void StartNetworkMatch();
    // Sends what an earlier Enter asked for once the link allows it.
    void MoveLobby();
    void DrawStatus();

    ScreenContext context;
    // The level and strength chosen; a match handed over as its setup.
    MatchSetup chosen;
    bool typing = false;
    std::string hostName;
    // Enter came before it could act: the host's offer goes as soon as a
    // player is in, the joiner's ready as soon as the offer is.
    bool startWhenJoined = false;
    bool readyWhenOffered = false;

    std::unique_ptr<C_Sprite> background;
    std::array<std::unique_ptr<C_Button>, kStrengths> strengthButtons;
    std::unique_ptr<C_Button> twoPlayersButton;
    std::unique_ptr<C_Button> lessButton;
    std::unique_ptr<C_Button> moreButton;
    std::unique_ptr<C_Font> levelFont;
    std::unique_ptr<C_Font> statusFont;
};
