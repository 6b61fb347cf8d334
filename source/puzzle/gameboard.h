#pragma once

#include <memory>
#include <string>

#include "audio/wave.h"
#include "core/hresult.h"
#include "model/gameobject.h"
#include "puzzle/piece.h"
#include "puzzle/roundevents.h"
#include "puzzle/roundsnapshot.h"
#include "puzzle/well.h"

// Where cell (0, 0) lies on screen and the pitch of the cells, for the board
// and the shapes alike.
constexpr int kBoardLeft = 70;
constexpr int kBoardTop = 84;
constexpr int kCellPitch = 22;

// Where a well is drawn: cell (0, 0)'s top-left corner and the cell pitch,
// in screen pixels. The single game's is kGamePlace; a screen that shows
// more than one well draws each at a place of its own, the pieces scaled
// with the pitch.
struct BoardPlace {
    int left;
    int top;
    int pitch;

    int X(int column) const { return left + pitch * column; }
    int Y(int row) const { return top + pitch * row; }
    // The pieces' size against the single game's.
    float Zoom() const { return static_cast<float>(pitch) / static_cast<float>(kCellPitch); }
};
constexpr BoardPlace kGamePlace = {kBoardLeft, kBoardTop, kCellPitch};

// The starting level chosen before a game; the board reads it when built.
extern int outerLevel;

// The flow's and the cycle's sounds of a board: "bonus.wav" at each flow
// step, "ghost.wav" when a cycle closes. Loaded when made, reporting a sound
// that fails.
class C_BoardSounds : public C_RoundEvents {
public:
    C_BoardSounds();
    void Happened(RoundEvent event) override;
    bool Listening() const override { return false; }

    std::unique_ptr<C_Wave> ghostSound;
    std::unique_ptr<C_Wave> bonusSound;
};

// The well of the puzzle on screen: the rules' grid (its fields and phases
// are the well's), drawn cell by cell with the pulse of the pieces on a
// cycle, and the two sounds its flows play. The play screen drives its
// phases and reads its public fields; a falling shape locks into it.
class C_GameBoard : public C_GameObject, public C_Well {
public:
    // Starts at outerLevel; its lines go to the console and it plays its
    // own sounds.
    C_GameBoard();
    // Starts at `startLevel`; its lines and events go to `events`, or, when
    // that is null, to the console and its own sounds.
    C_GameBoard(int startLevel, C_RoundEvents* events);
    ~C_GameBoard() override;
    C_GameBoard(const C_GameBoard&) = delete;
    C_GameBoard& operator=(const C_GameBoard&) = delete;

    HRESULT Update() override { return S_OK; }
    // Draws every piece in its cell, flowed pieces at `fade`, with `boardAlpha`.
    HRESULT Render() override { return RenderAt(kGamePlace); }
    // The same at `place`.
    HRESULT RenderAt(const BoardPlace& place);
    // What each drawn frame advances in the pieces: the pulse of a piece on a
    // cycle moves on, a flowed piece's starts over.
    void DrawStep();
    void OnCollide(C_GameObject* other) override { (void)other; }

    // The rules alone, without the listener: what a search may copy and play.
    C_Well Rules() const;
    BoardPulses Pulses() const;
    void RestorePulses(const BoardPulses& pulses);

    // The sounds of a board that plays its own; null in a round's.
    std::unique_ptr<C_BoardSounds> sounds;

private:
    // Where the lines and events of a board without a round go.
    class C_OwnEvents : public C_RoundEvents {
    public:
        explicit C_OwnEvents(C_GameBoard& boardIn) : board(boardIn) {}
        void Line(const std::string& line) override;
        void Happened(RoundEvent event) override;

    private:
        C_GameBoard& board;
    };

    C_OwnEvents ownEvents{*this};
    // Each cell's pulse, and the one its last draw step passed (drawn).
    float pulse[kBoardColumns][kBoardRows] = {};
    float shownPulse[kBoardColumns][kBoardRows] = {};
    // Some cell's pulse may be set.
    bool pulsing = false;
    C_PiecePainter painter;
};
