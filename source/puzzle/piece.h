#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gameobject.h"
#include "puzzle/well.h"

class C_RandomDraw;
class C_Sprite;

// Draws cells of the well with the piece sheets: "piece_" + colourIndex +
// "-20-5-4.png", and the sheet used while flowed or on a cycle. The sheets
// are found at the first draw, so the rules alone need no display; every
// painter alive shares one sprite per sheet.
class C_PiecePainter {
public:
    // `cell` with its top-left corner at pixel (x, y): pulsing by `pulse`
    // while on a cycle (its size from `shownPulse`), shrunk to `scale` about
    // the cell's middle while flowed, at `alpha` while marked, opaque
    // otherwise. `zoom` sizes all of it against a well of the single game's
    // pitch.
    void DrawAt(const WellCell& cell, float pulse, float shownPulse, int pixelX, int pixelY,
                float scale, int alpha, float zoom = 1.0f);
    // `cell` `size` pixels wide at (left, top), from the sheet of its state
    // but without the pulse or the shrinking, as an opponent's well is drawn
    // beside one's own; `alpha` as DrawAt's.
    void DrawSmall(const WellCell& cell, float left, float top, float size, int alpha);
    // Its plain picture at (x, y) at `alpha`: where a falling shape would land.
    void DrawFaint(const WellCell& cell, int pixelX, int pixelY, int alpha);
    // The width and height of a frame of the sheets.
    int FrameSize();

private:
    C_Sprite& Sheet(int colour);

    static constexpr int kSheets = 10;
    std::shared_ptr<C_Sprite> sheets[kSheets];
};

// One piece on its own: a cell of the well with its pulse, drawn by itself.
// The well keeps its pieces as plain cells; this is the same piece as a
// game object.
class C_Piece : public C_GameObject {
public:
    // Draws the pipe form, then its rotation, from `draws` (those of no round
    // when not given); the four shape links say which neighbours belong to
    // the same shape.
    C_Piece(int colourIndex, int up, int right, int down, int left);
    C_Piece(int colourIndex, int up, int right, int down, int left, C_RandomDraw& draws);
    ~C_Piece() override;

    HRESULT Update() override { return S_OK; }
    void OnCollide(C_GameObject* other) override { (void)other; }
    // As C_PiecePainter's, with the piece's own pulse.
    virtual void DrawAt(int pixelX, int pixelY, float drawScale, int alpha);
    void DrawSmall(float left, float top, float size, int alpha);
    void DrawFaint(int pixelX, int pixelY, int alpha);
    // What each drawn frame advances: the pulse of a piece on a cycle moves
    // on, a flowed piece's starts over. DrawAt shows the pulse this passed.
    void DrawStep();

    // A quarter turn of the pipe and of the shape links.
    void RotateClockwise() { cell.RotateClockwise(); }
    void RotateCounterClockwise() { cell.RotateCounterClockwise(); }
    int GetFrame() const { return cell.GetFrame(); }

    WellCell cell;
    float pulse = 0.0f;
    // The pulse before the last DrawStep: its size on screen.
    float shownPulse = 0.0f;

private:
    C_PiecePainter painter;
};
