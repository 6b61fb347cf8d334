#include "screens/gamesounds.h"

#include "audio/wave.h"
#include "core/error.h"
#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"

namespace {

constexpr const char* kFiles[kGameSounds] = {"move.wav", "turn.wav", "land.wav",   "row.wav",
                                             "lost.wav", "sent.wav", "arrived.wav"};
constexpr int kFullVolume = 100;

// The 25 cells of a shape's box: a turn changes them, a move does not.
std::array<const C_Piece*, kBoxSize * kBoxSize> BoxOf(const C_Tetromino& shape) {
    std::array<const C_Piece*, kBoxSize * kBoxSize> cells{};
    for (int i = 0; i < kBoxSize; ++i) {
        for (int j = 0; j < kBoxSize; ++j) {
            cells[static_cast<size_t>(i * kBoxSize + j)] = shape.PieceInBox(i, j);
        }
    }
    return cells;
}

}  // namespace

C_GameSounds::C_GameSounds() {
    for (size_t i = 0; i < waves.size(); ++i) {
        // Shared: every screen that plays them uses the one buffer of each.
        waves[i] = std::make_unique<C_Wave>(kFiles[i], 1);
        if (!waves[i]->Load()) {
            DXError("gamesounds", __LINE__, 0, "Failed to load wave!");
        }
    }
}

C_GameSounds::~C_GameSounds() = default;

void C_GameSounds::Play(GameSound sound) {
    waves[static_cast<size_t>(sound)]->Play(kFullVolume);
}

void C_GameSounds::Give(C_Round* round, RoundCommand command) {
    const C_Tetromino* shape = round->currentShape.get();
    if (shape == nullptr) {
        round->Command(command);
        return;
    }
    const int column = shape->GetColumn();
    const auto box = BoxOf(*shape);
    round->Command(command);
    if (round->currentShape.get() != shape) {
        return;
    }
    if ((command == COMMAND_LEFT || command == COMMAND_RIGHT) && shape->GetColumn() != column) {
        Play(GAME_SOUND_MOVE);
    } else if ((command == COMMAND_TURN_CLOCKWISE || command == COMMAND_TURN_COUNTER_CLOCKWISE) &&
               BoxOf(*shape) != box) {
        Play(GAME_SOUND_TURN);
    }
}

RoundGlance C_GameSounds::Glance(const C_Round& round) {
    return {round.currentShape.get(), round.board->rowsCleared, round.mode, round.rowsPushedIn};
}

void C_GameSounds::PlayChanges(const RoundGlance& before, const C_Round& round) {
    if (before.falling != nullptr && round.currentShape.get() != before.falling) {
        Play(GAME_SOUND_LAND);
    }
    if (round.board->rowsCleared > before.rowsCleared) {
        Play(GAME_SOUND_ROW);
    }
    if (round.rowsPushedIn > before.rowsPushedIn) {
        Play(GAME_SOUND_ARRIVED);
    }
    if (before.mode != MODE_GAMEOVER && round.mode == MODE_GAMEOVER) {
        Play(GAME_SOUND_LOST);
    }
}
