#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/gamestate.h"
#include "model/stateids.h"
#include "puzzle/round.h"
#include "replay/replay.h"
#include "replay/replayclock.h"
#include "screens/gamekeys.h"
#include "screens/keyhints.h"
#include "screens/screencontext.h"
#include "screens/seatkeys.h"

class C_Button;
class C_Font;
class C_GameSounds;
class C_KeyPanel;
class C_OverlayLines;
class C_ReplayWatch;
class C_Sprite;
class C_Timer;

// The play screen's keys panel, under its title in the picture.
constexpr KeyPanelPlace kPlayKeysPlace = {{578, 468, 698, 566}, 648, 19};

// One game of the puzzle on screen: it owns the round and drives it, turning
// the player's keys and controller buttons (the settings', beside the
// keypad's) into its commands and feeding it the frame's game time; it plays
// the sounds of the moves, landings, rows and the lost game, draws the round
// (with the drop preview when chosen), the start, pause and stop buttons,
// the pictures of each mode and the yes/no prompt after the game. A game
// that makes the score table goes on to the name after the prompt. The
// fields are open to the tests as the round's are.
class C_PlayScreen : public C_GameState {
public:
    explicit C_PlayScreen(const ScreenContext& context);
    ~C_PlayScreen() override;

    void HandleInput() override;
    void Update() override;
    void DrawStep() override;
    void Render() override;

    ScreenContext context;
    // What the round takes, for its replay; it outlives the round.
    RoundRecord record;
    std::unique_ptr<C_Round> round;
    // The game time the round runs on, in the replay's ticks.
    C_ReplayClock replayClock;
    // The replay kept of the finished game; empty until then, or if none
    // could be kept.
    std::string replayName;
    bool replayKept = false;
    // Set when the screen shows a replay rather than a game, and the line
    // that says why one could not be shown; the player's keys do nothing.
    std::unique_ptr<C_ReplayWatch> watch;
    std::string watchLine;
    bool watching = false;
    int afterWatching = STATE_MENU;
    C_Timer* timer = nullptr;
    int infoFade = 0;
    int pausedFade = 0;
    // The alphas the info and paused pictures fade at in this frame, or -1.
    int infoShown = -1;
    int pausedShown = -1;
    // The player's moves, turns and drop.
    C_SeatKeys keys;
    // Start, pause and menu: a key and a controller button each.
    ScreenBindings actions;
    bool dropPreview = false;
    int startingLevel = 0;
    std::unique_ptr<C_GameSounds> sounds;
    std::unique_ptr<C_KeyPanel> keyPanel;
    // The ready and paused pictures' lines that name the bound keys.
    std::unique_ptr<C_OverlayLines> readyLines;
    std::unique_ptr<C_OverlayLines> pausedLines;
    std::unique_ptr<C_Font> hudFont;
    std::unique_ptr<C_Font> listFont;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Sprite> infoPicture;
    std::unique_ptr<C_Sprite> pausedPicture;
    std::unique_ptr<C_Sprite> bannerPicture;
    std::unique_ptr<C_Sprite> gameOverPicture;
    std::unique_ptr<C_Button> startButton;
    std::unique_ptr<C_Button> pauseButton;
    std::unique_ptr<C_Button> stopButton;
    std::unique_ptr<C_Button> yesButton;
    std::unique_ptr<C_Button> noButton;

private:
    // Gives the round a command, with the sound of a move or turn it made.
    void Give(RoundCommand command);
    // Leaves a finished game for `next`, by the name and the table if the
    // game makes it.
    void EndGame(int next);
    // Writes the finished game's replay to the player's shelf.
    void KeepReplay();
    // Watches `replay`, the round taking its seed and level, unless the
    // model said why it cannot be shown.
    std::optional<Replay> OpenReplay(Replay replay, RoundSettings& settings);
    void HandleWatchingInput();
    // The replay's bars, or the line that says why there is none.
    void RenderWatching();
    // The info and paused pictures' fades, once per drawn frame.
    void StepPictures();
    void DrawPicture(C_Sprite* picture, uint32_t colour, C_OverlayLines* lines = nullptr);
    void DrawHud();
    void DrawLines(const std::vector<ListLine>& lines);
    int TextWidth(const std::string& text) const;
};
