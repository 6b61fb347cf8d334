#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "puzzle/randomdraw.h"
#include "puzzle/roundclock.h"
#include "puzzle/well.h"

// A falling or waiting shape as a value.
struct ShapeState {
    WellShape shape;
    int third = 0;
    int locked = 0;
};

// The board's pulses, which its drawing steps.
struct BoardPulses {
    float pulse[kBoardColumns][kBoardRows] = {};
    float shownPulse[kBoardColumns][kBoardRows] = {};
    bool pulsing = false;
};

// One text line a score list draws, in the list font.
struct ListLine {
    std::string text;
    int x;
    int y;
    uint32_t colour;
};

// Everything a round is at one moment, as a value: a round restored from it
// goes on exactly as the round it was taken from. Its listeners, its record
// and its text measure are not in it: they belong to whoever shows it.
struct RoundSnapshot {
    int mode = 0;
    C_Well well;
    BoardPulses pulses;
    std::optional<ShapeState> currentShape;
    std::optional<ShapeState> nextShape;
    int chain = 0;
    int shownChain = 0;
    std::vector<int> pipeList;
    float pipeFade = -1.0f;
    float cycleFade = -1.0f;
    int pipeHigh = -1;
    int cycleHigh = -1;
    int pipePoints = 0;
    int cyclePoints = 0;
    std::vector<ListLine> cycleLines;
    std::vector<ListLine> pipeLines;
    bool bannerShown = false;
    C_RoundClock clock;
    C_RandomDraw draws;
    std::vector<uint64_t> incoming;
    int rowsPushedIn = 0;
    int cascadeNumber = 0;
    int cascadeFlows = 0;
    int cascadeCycles = 0;
};
