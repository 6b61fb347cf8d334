#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/gamestate.h"
#include "puzzle/piece.h"
#include "replay/replayclock.h"
#include "screens/gamekeys.h"
#include "screens/keyhints.h"
#include "screens/playscreen.h"
#include "screens/screencontext.h"
#include "screens/seatkeys.h"
#include "screens/versusscreen.h"

class C_Button;
class C_ReplayWatch;
class C_Font;
class C_GameSounds;
class C_KeyPanel;
class C_MatchKind;
class C_OverlayLines;
class C_Round;
class C_Sprite;
class C_Timer;

// Where the match screen's code draws its texts, in screen pixels: the level,
// the two scores and the computer's strength. The picture keeps these windows
// dark; the text colour reads on them.
constexpr TextWindow kMatchLevelWindow = {206, 8, 276, 50};
constexpr TextWindow kMatchScoreWindows[2] = {{480, 20, 694, 56}, {480, 66, 694, 102}};
constexpr TextWindow kMatchStrengthWindow = {572, 284, 694, 312};
constexpr uint32_t kMatchTextColour = 0xB4F0F0FF;

// A meter: the slot its rows stack up in from the bottom, a row's height.
struct MeterPlace {
    TextWindow slot;
    int rowHeight;
};
constexpr MeterPlace kMatchMeters[2] = {{{40, 84, 58, 612}, 22}, {{480, 326, 491, 590}, 11}};
// The opponent's well at half size: its top-left corner and cell pitch.
constexpr int kSmallWellLeft = 500;
constexpr int kSmallWellTop = 326;
constexpr int kSmallCell = 11;
// The keys panel's lines, under its title in the picture.
constexpr KeyPanelPlace kMatchKeysPlace = {{562, 156, 698, 250}, 634, 19};

// A match, whoever plays the other side: the player's well at full size with
// its score lists, the next shape and the incoming meter; the other's well at
// half size with its meter; both scores and the level. When the match ends
// the result shows, with play again (yes, Enter, the pad's A or Start) or
// back (no, the menu key, the pad's Back or B). The menu key leaves at any
// time; the pause key holds a match that can pause, and says so of one that
// cannot. The player's round sounds as a single game does, with a sound for
// rows sent and rows pushed in; the other side is quiet.
class C_MatchScreen : public C_GameState {
public:
    // Starts the match `setup` asks for.
    C_MatchScreen(const ScreenContext& context, const MatchSetup& setup);
    ~C_MatchScreen() override;

    void HandleInput() override;
    void Update() override;
    void DrawStep() override;
    bool Pausable() const override;
    void Render() override;

    std::unique_ptr<C_MatchKind> match;
    std::unique_ptr<C_GameSounds> sounds;
    std::unique_ptr<C_KeyPanel> keyPanel;
    // A match held by the pause key.
    bool paused = false;
    // The paused picture's lines that name the bound keys.
    std::unique_ptr<C_OverlayLines> pausedLines;
    // The line under the result (its keys), or that the match cannot pause;
    // empty when none shows.
    std::string Note() const;
    // The replay being watched, or null for a match being played.
    C_ReplayWatch* Watching() const { return watch; }

private:
    void DrawNumbers();
    void DrawMeter(int side);
    void DrawNext();
    void DrawSmallWell();
    void DrawLines(const std::vector<ListLine>& lines);
    int TextWidth(const std::string& text) const;
    // Gives the player's round a command, with its sound.
    void Give(RoundCommand command);
    // The pause key: holds or frees a match that can pause, and says that
    // one that cannot, cannot.
    void HandlePause();
    void SetPaused(bool on);
    // Play again or back, from the keys and buttons, once the match is over.
    void AnswerResult();
    // The game time the match runs on: the timer's less the time held.
    float MatchTime() const;
    void DrawNotes();
    // Writes the finished match's replay to the player's shelf, if its kind
    // recorded one.
    void KeepReplay();

    ScreenContext context;
    // What the match started with: play again starts the same.
    MatchSetup setup;
    C_Timer* timer = nullptr;
    // The player's moves, turns and drop.
    C_SeatKeys keys;
    std::unique_ptr<C_Font> hudFont;
    std::unique_ptr<C_Font> strengthFont;
    std::unique_ptr<C_Font> listFont;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Sprite> meter;
    std::array<std::unique_ptr<C_Sprite>, 3> results;
    std::unique_ptr<C_Button> yesButton;
    std::unique_ptr<C_Button> noButton;

    // Start, pause and menu: a key and a controller button each.
    ScreenBindings actions;
    // Game seconds held by the pause, and when the pause began.
    float heldFor = 0.0f;
    float pausedAt = 0.0f;
    // The match's time in the replay's ticks, and whether its replay is kept.
    C_ReplayClock replayClock;
    bool replayKept = false;
    // Set while the screen shows a match's replay: it takes the watch keys
    // instead of the player's, and goes back to `afterWatching`.
    C_ReplayWatch* watch = nullptr;
    int afterWatching = STATE_MENU;
    // Until when the note that the match cannot pause shows.
    float pauseNoteUntil = -1.0f;
    // A confirm key or button seen up since the result showed: one held as
    // the match ended does not start the next.
    bool answerArmed = false;
    std::unique_ptr<C_Sprite> pausedPicture;
    std::unique_ptr<C_Font> noteFont;
    C_PiecePainter painter;
};
