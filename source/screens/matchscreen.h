#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/padbuttons.h"
#include "model/gamestate.h"
#include "puzzle/gameboard.h"
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

// Two players at this machine: both wells at one size, side by side, each
// with its meter on the outer side, its name, device and score above it and
// its keys below; the level and both next shapes between the wells.
struct SeatPlace {
    BoardPlace well;
    MeterPlace meter;
    TextWindow score;
    // Which device plays the seat, written under its name.
    TextWindow device;
    TextWindow next;
    KeyPanelPlace keys;
};
constexpr int kSeatPitch = 20;
constexpr int kSeatNextPitch = 14;
constexpr SeatPlace kSeatPlaces[2] = {
    {{32, 66, kSeatPitch},
     {{10, 66, 24, 546}, kSeatPitch},
     {156, 10, 272, 51},
     {14, 30, 150, 51},
     {286, 100, 354, 174},
     {{66, 564, 272, 646}, 160, 16}},
    {{441, 66, kSeatPitch},
     {{689, 66, 703, 546}, kSeatPitch},
     {583, 10, 699, 51},
     {441, 30, 577, 51},
     {359, 100, 427, 174},
     {{493, 564, 699, 646}, 587, 16}},
};
constexpr TextWindow kSeatLevelWindow = {322, 24, 392, 62};
// The ready, paused and result pictures over each well: their top, and their
// scale, which makes them the well's width.
constexpr float kSeatOverlayTop = 240.0f;
constexpr float kSeatOverlayScale = 0.6f;
constexpr uint32_t kSeatDeviceColour = 0xFFEAF0F7;

// A match, whoever plays the other side: the player's well at full size with
// its score lists, the next shape and the incoming meter; the other's well at
// half size with its meter; both scores and the level. When both sides are
// played at this machine, both wells at one size side by side instead, each
// with all of these, its keys and the device that plays it; the first button
// pressed on a controller gives it the first seat no controller has, and one
// unplugged pauses the match and says so. When the match ends the result
// shows, with play again (yes, Enter, the pad's A or Start, or a later
// seat's start key) or back (no, a menu key, the pad's Back or B). A menu key
// leaves at any time; a pause key holds a match that can pause, and says so
// of one that cannot. The rounds played here sound as a single game does,
// with a sound for rows sent and rows pushed in; a side played elsewhere is
// quiet. A room watched at a relay shows both players' wells the same way,
// side by side, with their names; the watcher's keys move nothing, and the
// menu key leaves the room.
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

    // A player at this machine: their keys and controller, and what the
    // screen shows of them.
    struct Seat {
        Seat(const C_Settings& settings, int seat);
        Seat(Seat&&) noexcept;
        Seat& operator=(Seat&&) noexcept;
        ~Seat();

        C_SeatKeys keys;
        // The controller that claimed the seat, when players at this machine
        // each play with their own; kNoPad until one does.
        int pad = kNoPad;
        std::unique_ptr<C_KeyPanel> keyPanel;
        // The paused picture's lines that name the seat's keys.
        std::unique_ptr<C_OverlayLines> pausedLines;
        std::unique_ptr<C_Button> yesButton;
        std::unique_ptr<C_Button> noButton;
        // The controller that played the seat until it was unplugged, while
        // the pause it made lasts; kNoPad otherwise.
        int lostPad = kNoPad;
    };

    std::unique_ptr<C_MatchKind> match;
    std::unique_ptr<C_GameSounds> sounds;
    // One for each player at this machine, in seat order.
    std::vector<Seat> seats;
    // A match held by a pause key, or by a controller unplugged.
    bool paused = false;
    // The line under the result (its keys), that a seat's controller was
    // unplugged, or that the match cannot pause; empty when none shows.
    std::string Note(int seat = 0) const;
    // Which device plays `seat`: the keyboard, or the controller that
    // claimed it (its keys play it too).
    std::string Device(int seat) const;
    // The replay being watched, or null for a match being played.
    C_ReplayWatch* Watching() const { return watch; }

private:
    void DrawNumbers();
    void DrawMeter(int side, const MeterPlace& place);
    void DrawNext(const C_Round& round, const TextWindow& window, int pitch);
    void DrawSmallWell();
    void DrawLines(const std::vector<ListLine>& lines);
    // A seat's score lists, moved to its well and kept in its half.
    void DrawSeatLines(const std::vector<ListLine>& lines, const SeatPlace& place, int seat);
    void RenderOneSeat();
    void RenderSeats();
    void DrawResult(int seat, float x, float y, float scale);
    int TextWidth(const std::string& text) const;
    // The pause keys: hold or free a match that can pause, and say that
    // one that cannot, cannot.
    void HandlePause();
    void SetPaused(bool on);
    // A controller pressed first claims a free seat; one unplugged pauses.
    void ClaimPads();
    // Play again or back, from the keys and buttons, once the match is over.
    void AnswerResult();
    // Whether any seat's key or button of `action` reads `state`.
    bool AnySeat(GameAction action, int state) const;
    // The game time the match runs on: the timer's less the time held.
    float MatchTime() const;
    void DrawNotes();
    void DrawNote(const std::string& note, int centre, int top);
    // Writes the finished match's replay to the player's shelf, if its kind
    // recorded one.
    void KeepReplay();

    ScreenContext context;
    // What the match started with: play again starts the same.
    MatchSetup setup;
    C_Timer* timer = nullptr;
    std::unique_ptr<C_Font> hudFont;
    std::unique_ptr<C_Font> strengthFont;
    std::unique_ptr<C_Font> listFont;
    std::unique_ptr<C_Font> deviceFont;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Sprite> meter;
    std::array<std::unique_ptr<C_Sprite>, 3> results;

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
