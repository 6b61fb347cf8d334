#include "puzzle/piece.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <string>

#include "core/error.h"
#include "puzzle/randomdraw.h"
#include "view/sprite.h"

const int kPipeOpenings[kPipeShapes][kDirections] = {
    {1, 1, 1, 1},  // cross
    {1, 0, 1, 0},  // straight
    {1, 1, 0, 1},  // T
    {1, 1, 0, 0},  // corner
    {1, 0, 0, 0},  // end
};

namespace {

constexpr float kFramePixels = 32.0f;
constexpr float kPieceScale = 0.7f;
constexpr float kCellPixels = kFramePixels * kPieceScale;  // 22.4
constexpr float kPulseDepth = 0.5f;
constexpr float kPulseStep = 0.1f;
constexpr int kPulseAlphaDepth = 100;
constexpr int kPulseAlphaMiddle = 126;
constexpr int kOpaque = 255;

uint32_t White(int alpha) {
    const int clamped = alpha < 0 ? 0 : (alpha > kOpaque ? kOpaque : alpha);
    return static_cast<uint32_t>(clamped) << 24 | 0x00FFFFFFu;
}

constexpr int kCycleColour = 9;

// The sheet sprite of each colour while some piece holds it. Only weakly
// kept here: a sprite must not outlive the display its texture lives on.
std::shared_ptr<C_Sprite> Sheet(int colour) {
    static std::map<int, std::weak_ptr<C_Sprite>> sheets;
    std::weak_ptr<C_Sprite>& kept = sheets[colour];
    std::shared_ptr<C_Sprite> sheet = kept.lock();
    if (!sheet) {
        sheet = std::make_shared<C_Sprite>("piece_" + IntToString(colour) + "-20-5-4.png");
        kept = sheet;
    }
    return sheet;
}

// new[d] = old[d - 1]: what was open up is open right.
void TurnClockwise(int (&flags)[kDirections]) {
    const int left = flags[DIR_LEFT];
    for (int d = DIR_LEFT; d > DIR_UP; --d) {
        flags[d] = flags[d - 1];
    }
    flags[DIR_UP] = left;
}

// new[d] = old[d + 1].
void TurnCounterClockwise(int (&flags)[kDirections]) {
    const int up = flags[DIR_UP];
    for (int d = DIR_UP; d < DIR_LEFT; ++d) {
        flags[d] = flags[d + 1];
    }
    flags[DIR_LEFT] = up;
}

}  // namespace

C_Piece::C_Piece(int colourIndexIn, int up, int right, int down, int left)
    : C_Piece(colourIndexIn, up, right, down, left, LooseDraws()) {}

C_Piece::C_Piece(int colourIndexIn, int up, int right, int down, int left, C_RandomDraw& draws)
    : colourIndex(colourIndexIn), shapeLinks{up, right, down, left} {
    typeId = OBJECT_PIECE;
    pipeShape = draws.Index(kPipeShapes);
    rotation = draws.Index(kRotations);
    for (int d = 0; d < kDirections; ++d) {
        openings[d] = kPipeOpenings[pipeShape][d];
    }
    for (int turn = 0; turn < rotation; ++turn) {
        TurnClockwise(openings);
    }
}

C_Piece::~C_Piece() = default;

void C_Piece::LoadSprites() {
    sprite = Sheet(colourIndex);
    cycleSprite = Sheet(kCycleColour);
    width = sprite->GetFrameWidth();
    height = sprite->GetFrameHeight();
}

void C_Piece::DrawFaint(int pixelX, int pixelY, int alpha) {
    if (!sprite) {
        LoadSprites();
    }
    sprite->SetFrame(GetFrame());
    sprite->Draw({static_cast<float>(pixelX), static_cast<float>(pixelY)}, {0.0f, 0.0f}, 0.0f,
                 {kPieceScale, kPieceScale}, White(alpha));
}

void C_Piece::DrawAt(int pixelX, int pixelY, float drawScale, int alpha) {
    if (!sprite) {
        LoadSprites();
    }
    const float left = static_cast<float>(pixelX);
    const float top = static_cast<float>(pixelY);
    if (onCycle != 0) {
        const float a = std::cos(shownPulse) * kPulseDepth;
        const float b = std::sin(shownPulse) * kPulseDepth;
        const int beat = static_cast<int>(std::cos(pulse) * kPulseAlphaDepth) + kPulseAlphaMiddle;
        cycleSprite->SetFrame(GetFrame());
        cycleSprite->Draw({left + (kCellPixels - (a + kPieceScale) * kFramePixels) / 2,
                           top + (kCellPixels - (b + kPieceScale) * kFramePixels) / 2},
                          {0.0f, 0.0f}, 0.0f, {a + kPieceScale, b + kPieceScale}, White(beat));
    } else if (flowed != 0) {
        const float offset = (kCellPixels - drawScale * kFramePixels) / 2;
        cycleSprite->SetFrame(GetFrame());
        cycleSprite->Draw({left + offset, top + offset}, {0.0f, 0.0f}, 0.0f, {drawScale, drawScale},
                          White(alpha));
    } else {
        sprite->SetFrame(GetFrame());
        sprite->Draw({left, top}, {0.0f, 0.0f}, 0.0f, {kPieceScale, kPieceScale},
                     White(marked != 0 ? alpha : kOpaque));
    }
}

void C_Piece::DrawSmall(float left, float top, float size, int alpha) {
    if (!sprite) {
        LoadSprites();
    }
    const float drawScale = size / kFramePixels;
    const bool lit = onCycle != 0 || flowed != 0;
    C_Sprite* sheet = lit ? cycleSprite.get() : sprite.get();
    sheet->SetFrame(GetFrame());
    sheet->Draw({left, top}, {0.0f, 0.0f}, 0.0f, {drawScale, drawScale},
                White(onCycle == 0 && (flowed != 0 || marked != 0) ? alpha : kOpaque));
}

void C_Piece::DrawStep() {
    if (onCycle != 0) {
        shownPulse = pulse;
        pulse += kPulseStep;
    } else if (flowed != 0) {
        pulse = 0.0f;
    }
}

void C_Piece::RotateClockwise() {
    rotation = (rotation + 1) % kRotations;
    TurnClockwise(shapeLinks);
    TurnClockwise(openings);
}

void C_Piece::RotateCounterClockwise() {
    rotation = rotation == 0 ? kRotations - 1 : rotation - 1;
    TurnCounterClockwise(shapeLinks);
    TurnCounterClockwise(openings);
}
