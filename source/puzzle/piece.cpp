#include "puzzle/piece.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <string>

#include "core/error.h"
#include "puzzle/randomdraw.h"
#include "view/sprite.h"

namespace {

constexpr float kFramePixels = 32.0f;
constexpr float kPieceScale = 0.7f;
constexpr float kCellPixels = kFramePixels * kPieceScale;  // 22.4
constexpr float kPulseDepth = 0.5f;
constexpr float kPulseStep = 0.1f;
constexpr int kPulseAlphaDepth = 100;
constexpr int kPulseAlphaMiddle = 126;
constexpr int kOpaque = 255;
constexpr int kCycleColour = 9;

uint32_t White(int alpha) {
    const int clamped = alpha < 0 ? 0 : (alpha > kOpaque ? kOpaque : alpha);
    return static_cast<uint32_t>(clamped) << 24 | 0x00FFFFFFu;
}

// The sheet sprite of each colour while some painter holds it. Only weakly
// kept here: a sprite must not outlive the display its texture lives on.
std::shared_ptr<C_Sprite> SharedSheet(int colour) {
    static std::map<int, std::weak_ptr<C_Sprite>> sheets;
    std::weak_ptr<C_Sprite>& kept = sheets[colour];
    std::shared_ptr<C_Sprite> sheet = kept.lock();
    if (!sheet) {
        sheet = std::make_shared<C_Sprite>("piece_" + IntToString(colour) + "-20-5-4.png");
        kept = sheet;
    }
    return sheet;
}

}  // namespace

C_Sprite& C_PiecePainter::Sheet(int colour) {
    const int index = colour >= 0 && colour < kSheets ? colour : 0;
    if (!sheets[index]) {
        sheets[index] = SharedSheet(index);
    }
    return *sheets[index];
}

int C_PiecePainter::FrameSize() {
    return Sheet(0).GetFrameWidth();
}

void C_PiecePainter::DrawFaint(const WellCell& cell, int pixelX, int pixelY, int alpha) {
    C_Sprite& sheet = Sheet(cell.colourIndex);
    sheet.SetFrame(cell.GetFrame());
    sheet.Draw({static_cast<float>(pixelX), static_cast<float>(pixelY)}, {0.0f, 0.0f}, 0.0f,
               {kPieceScale, kPieceScale}, White(alpha));
}

void C_PiecePainter::DrawAt(const WellCell& cell, float pulse, float shownPulse, int pixelX,
                            int pixelY, float drawScale, int alpha, float zoom) {
    const float left = static_cast<float>(pixelX);
    const float top = static_cast<float>(pixelY);
    const float cellPixels = kCellPixels * zoom;
    if (cell.onCycle) {
        const float a = (std::cos(shownPulse) * kPulseDepth + kPieceScale) * zoom;
        const float b = (std::sin(shownPulse) * kPulseDepth + kPieceScale) * zoom;
        const int beat = static_cast<int>(std::cos(pulse) * kPulseAlphaDepth) + kPulseAlphaMiddle;
        C_Sprite& sheet = Sheet(kCycleColour);
        sheet.SetFrame(cell.GetFrame());
        sheet.Draw(
            {left + (cellPixels - a * kFramePixels) / 2, top + (cellPixels - b * kFramePixels) / 2},
            {0.0f, 0.0f}, 0.0f, {a, b}, White(beat));
    } else if (cell.flowed) {
        const float scale = drawScale * zoom;
        const float offset = (cellPixels - scale * kFramePixels) / 2;
        C_Sprite& sheet = Sheet(kCycleColour);
        sheet.SetFrame(cell.GetFrame());
        sheet.Draw({left + offset, top + offset}, {0.0f, 0.0f}, 0.0f, {scale, scale}, White(alpha));
    } else {
        const float scale = kPieceScale * zoom;
        C_Sprite& sheet = Sheet(cell.colourIndex);
        sheet.SetFrame(cell.GetFrame());
        sheet.Draw({left, top}, {0.0f, 0.0f}, 0.0f, {scale, scale},
                   White(cell.marked ? alpha : kOpaque));
    }
}

void C_PiecePainter::DrawSmall(const WellCell& cell, float left, float top, float size, int alpha) {
    const float drawScale = size / kFramePixels;
    const bool lit = cell.onCycle || cell.flowed;
    C_Sprite& sheet = Sheet(lit ? kCycleColour : cell.colourIndex);
    sheet.SetFrame(cell.GetFrame());
    sheet.Draw({left, top}, {0.0f, 0.0f}, 0.0f, {drawScale, drawScale},
               White(!cell.onCycle && (cell.flowed || cell.marked) ? alpha : kOpaque));
}

C_Piece::C_Piece(int colourIndexIn, int up, int right, int down, int left)
    : C_Piece(colourIndexIn, up, right, down, left, LooseDraws()) {}

C_Piece::C_Piece(int colourIndexIn, int up, int right, int down, int left, C_RandomDraw& draws)
    : cell(DrawnPiece(colourIndexIn, BitsOf(up, right, down, left), draws)) {
    typeId = OBJECT_PIECE;
}

C_Piece::~C_Piece() = default;

void C_Piece::DrawAt(int pixelX, int pixelY, float drawScale, int alpha) {
    width = height = painter.FrameSize();
    painter.DrawAt(cell, pulse, shownPulse, pixelX, pixelY, drawScale, alpha);
}

void C_Piece::DrawSmall(float left, float top, float size, int alpha) {
    painter.DrawSmall(cell, left, top, size, alpha);
}

void C_Piece::DrawFaint(int pixelX, int pixelY, int alpha) {
    painter.DrawFaint(cell, pixelX, pixelY, alpha);
}

void C_Piece::DrawStep() {
    if (cell.onCycle) {
        shownPulse = pulse;
        pulse += kPulseStep;
    } else if (cell.flowed) {
        pulse = 0.0f;
    }
}
