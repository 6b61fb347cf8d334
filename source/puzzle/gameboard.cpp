#include "puzzle/gameboard.h"

#include <algorithm>

#include <string>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"

int outerLevel = 0;

namespace {

constexpr int kSoundVolume = 100;
constexpr float kPulseStep = 0.1f;

}  // namespace

C_GameBoard::C_GameBoard() : C_GameBoard(outerLevel, nullptr) {}

C_GameBoard::C_GameBoard(int startLevel, C_RoundEvents* eventsIn) : C_Well(startLevel) {
    typeId = OBJECT_GAMEBOARD;
    events = eventsIn != nullptr ? eventsIn : &ownEvents;
    Trace("outerLevel = " + IntToString(startLevel));
    if (eventsIn == nullptr) {
        sounds = std::make_unique<C_BoardSounds>();
    }
}

C_GameBoard::~C_GameBoard() = default;

C_BoardSounds::C_BoardSounds() {
    ghostSound = std::make_unique<C_Wave>("ghost.wav", 1);
    if (!ghostSound->Load()) {
        DXError("gameboard", __LINE__, 0, "Failed to load wave!");
    }
    bonusSound = std::make_unique<C_Wave>("bonus.wav", 1);
    if (!bonusSound->Load()) {
        DXError("gameboard", __LINE__, 0, "Failed to load wave!");
    }
}

void C_GameBoard::C_OwnEvents::Line(const std::string& line) {
    if (g_pConsole != nullptr) {
        g_pConsole->AddLine(line);
    }
}

void C_GameBoard::C_OwnEvents::Happened(RoundEvent event) {
    board.sounds->Happened(event);
}

void C_BoardSounds::Happened(RoundEvent event) {
    if (event == EVENT_CYCLE_CLOSED) {
        ghostSound->Play(kSoundVolume);
    } else if (event == EVENT_FLOW_STEP) {
        bonusSound->Play(kSoundVolume);
    }
}

C_Well C_GameBoard::Rules() const {
    C_Well rules = *this;
    rules.events = nullptr;
    return rules;
}

void C_GameBoard::DrawStep() {
    bool any = false;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const WellCell& cell = cells[x][y];
            if (!cell.Taken() || !(cell.onCycle || cell.flowed)) {
                continue;
            }
            any = true;
            if (cell.onCycle) {
                shownPulse[x][y] = pulse[x][y];
                pulse[x][y] += kPulseStep;
            } else {
                pulse[x][y] = 0.0f;
            }
        }
    }
    // Once the flowed pieces are gone, their cells keep no pulse for the
    // pieces that come there: a piece comes on a cycle with its pulse at rest.
    if (!any && pulsing) {
        for (int x = 0; x < kBoardColumns; ++x) {
            for (int y = 0; y < kBoardRows; ++y) {
                pulse[x][y] = 0.0f;
                shownPulse[x][y] = 0.0f;
            }
        }
    }
    pulsing = any;
}

HRESULT C_GameBoard::RenderAt(const BoardPlace& place) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (cells[x][y].Taken()) {
                painter.DrawAt(cells[x][y], pulse[x][y], shownPulse[x][y], place.X(x), place.Y(y),
                               fade, boardAlpha, place.Zoom());
            }
        }
    }
    return S_OK;
}

BoardPulses C_GameBoard::Pulses() const {
    BoardPulses pulses;
    std::copy(&pulse[0][0], &pulse[0][0] + kBoardColumns * kBoardRows, &pulses.pulse[0][0]);
    std::copy(&shownPulse[0][0], &shownPulse[0][0] + kBoardColumns * kBoardRows,
              &pulses.shownPulse[0][0]);
    pulses.pulsing = pulsing;
    return pulses;
}

void C_GameBoard::RestorePulses(const BoardPulses& pulses) {
    std::copy(&pulses.pulse[0][0], &pulses.pulse[0][0] + kBoardColumns * kBoardRows, &pulse[0][0]);
    std::copy(&pulses.shownPulse[0][0], &pulses.shownPulse[0][0] + kBoardColumns * kBoardRows,
              &shownPulse[0][0]);
    pulsing = pulses.pulsing;
}
