#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gameobject.h"

class C_RandomDraw;
class C_Sprite;

// Directions on the board: up is row - 1, down row + 1.
enum Direction { DIR_UP = 0, DIR_RIGHT = 1, DIR_DOWN = 2, DIR_LEFT = 3 };
constexpr int kDirections = 4;

// The step to the neighbour in each direction.
constexpr int kDeltaX[kDirections] = {0, 1, 0, -1};
constexpr int kDeltaY[kDirections] = {-1, 0, 1, 0};

constexpr int Opposite(int direction) {
    return (direction + 2) % kDirections;
}

enum PipeShape { PIPE_CROSS = 0, PIPE_STRAIGHT = 1, PIPE_T = 2, PIPE_CORNER = 3, PIPE_END = 4 };
constexpr int kPipeShapes = 5;
constexpr int kRotations = 4;

// One cell of a falling shape and then of the board: a short pipe segment of
// random form and orientation, with the flags the flow and gravity use.
// The board and the shapes read and write its fields directly.
class C_Piece : public C_GameObject {
public:
    // Draws the pipe form, then its rotation, from `draws` (those of no round
    // when not given); the four shape links say which neighbours belong to
    // the same shape.
    C_Piece(int colourIndex, int up, int right, int down, int left);
    C_Piece(int colourIndex, int up, int right, int down, int left, C_RandomDraw& draws);
    // Lets go of both sprites; the last piece holding a sheet deletes it.
    ~C_Piece() override;

    HRESULT Update() override { return S_OK; }
    void OnCollide(C_GameObject* other) override { (void)other; }
    // Draws the piece with its top-left corner at pixel (x, y): pulsing while
    // on a cycle, shrunk to `scale` about the cell's middle while flowed, at
    // `alpha` while marked, opaque otherwise. The two sprites are found at
    // the first draw, so pieces that are never drawn (the rules alone) need
    // no display.
    virtual void DrawAt(int pixelX, int pixelY, float drawScale, int alpha);
    // Draws the piece `size` pixels wide with its top-left corner at (x, y),
    // from the sheet of its state but without the pulse or the shrinking, as
    // an opponent's well is drawn beside one's own; `alpha` as DrawAt's.
    void DrawSmall(float left, float top, float size, int alpha);
    // Its plain picture at (x, y) at `alpha`: where a falling shape would land.
    void DrawFaint(int pixelX, int pixelY, int alpha);
    // What each drawn frame advances: the pulse of a piece on a cycle moves
    // on, a flowed piece's starts over. DrawAt shows the pulse this passed.
    void DrawStep();

    // A quarter turn of the pipe and of the shape links.
    void RotateClockwise();
    void RotateCounterClockwise();

    void SetX(int column) { x = column; }
    void SetY(int row) { y = row; }
    // The frame shown from either sheet: one row per quarter turn, one column
    // per pipe form.
    int GetFrame() const { return rotation * kPipeShapes + pipeShape; }

    int x = 0;
    int y = 0;
    int colourIndex;
    int pipeShape;
    int pipeID = -1;
    int cycleID = -1;
    float pulse = 0.0f;
    // The pulse before the last DrawStep: its size on screen.
    float shownPulse = 0.0f;
    int marked = 0;
    int flowed = 0;
    int cycleVisited = 0;
    int onCycle = 0;
    int canFall = 0;
    int linked[kDirections] = {};
    int shapeLinks[kDirections];
    int openings[kDirections] = {};
    int connected[kDirections] = {};
    C_Piece* p_Links[kDirections] = {};
    // Parent in the cycle search tree.
    C_Piece* p_cyp = nullptr;
    int rotation;
    // "piece_" + colourIndex + "-20-5-4.png", and the sheet used while
    // flowed or on a cycle. Every piece alive shares one sprite per sheet:
    // a draw sets the frame it shows first.
    std::shared_ptr<C_Sprite> sprite;
    std::shared_ptr<C_Sprite> cycleSprite;

private:
    void LoadSprites();
};

// Openings of a pipe form before any rotation (up, right, down, left).
extern const int kPipeOpenings[kPipeShapes][kDirections];
