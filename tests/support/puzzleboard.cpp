#include "support/puzzleboard.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "audio/wave.h"
#include "console/console.h"
#include "core/globals.h"
#include "puzzle/randomdraw.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "support/promptrecorder.h"

int DrawFor(int index, int n) {
    for (int draw = 0; draw <= kDrawMax; ++draw) {
        if (DrawToIndex(draw, n) == index) {
            return draw;
        }
    }
    ADD_FAILURE() << "no draw gives " << index << " of " << n;
    return 0;
}

std::vector<int> PipeDraws(const std::string& openings) {
    int wanted[kDirections] = {};
    for (char c : openings) {
        wanted[std::string("URDL").find(c)] = 1;
    }
    for (int shape = 0; shape < kPipeShapes; ++shape) {
        for (int rotation = 0; rotation < kRotations; ++rotation) {
            bool same = true;
            for (int d = 0; d < kDirections; ++d) {
                // Openings of `shape` after `rotation` clockwise turns.
                same = same && kPipeOpenings[shape][(d + kDirections - rotation) % kDirections] ==
                                   wanted[d];
            }
            if (same) {
                return {DrawFor(shape, kPipeShapes), DrawFor(rotation, kRotations)};
            }
        }
    }
    ADD_FAILURE() << "no pipe opens toward " << openings;
    return {};
}

ForcedDraws::ForcedDraws(std::vector<int> drawsIn, C_RandomDraw& targetIn)
    : draws(drawsIn.begin(), drawsIn.end()), target(targetIn) {
    target.Force([this] {
        if (draws.empty()) {
            return afterwards.Draw();
        }
        const int draw = draws.front();
        draws.pop_front();
        return draw;
    });
}

ForcedDraws::~ForcedDraws() {
    target.Force(nullptr);
}

void BoardTest::SetUp() {
    Prompts().Install();
    g_pConsole->Update();
    linesAtStart = g_pConsole->GetLines().size();
    scratch = std::make_unique<ScratchDirectory>();
    WaveLayout tone;
    tone.samples = StereoRamp(44100);
    scratch->WriteWave("ghost.wav", BuildWave(tone));
    scratch->WriteWave("bonus.wav", BuildWave(tone));
    NewBoard();
}

void BoardTest::TearDown() {
    board.reset();
    ReleaseAllWaves();
    g_waveCache.clear();
    outerLevel = 0;
    LooseDraws().Force(nullptr);
    scratch.reset();
    g_pConsole->Update();
}

void BoardTest::NewBoard(int level) {
    board.reset();
    outerLevel = level;
    board = std::make_unique<C_GameBoard>();
}

WellCell* BoardTest::Put(int x, int y, const std::string& openings) {
    ForcedDraws draws(PipeDraws(openings));
    board->cells[x][y] = DrawnPiece(0, 0, LooseDraws());
    return &board->cells[x][y];
}

CellSpot BoardTest::SpotOf(const WellCell* piece) const {
    const auto index = static_cast<int>(piece - &board->cells[0][0]);
    return {index / kBoardRows, index % kBoardRows};
}

int16_t BoardTest::EntryOf(const WellCell* piece) const {
    return static_cast<int16_t>(piece - &board->cells[0][0]);
}

void BoardTest::FillRow(int y) {
    for (int x = 0; x < kBoardColumns; ++x) {
        if (!board->cells[x][y].Taken()) {
            Put(x, y, "D");
        }
    }
}

void BoardTest::ConnectAll() {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (board->PieceAt(x, y) != nullptr) {
                board->UpdateConnections({x, y});
            }
        }
    }
}

void BoardTest::StartFlowAt(CellSpot start) {
    WellCell& piece = board->cells[start.x][start.y];
    piece.flowed = true;
    piece.pipeID = 0;
    board->pipeSizes = {1};
    board->pipeIDs = 1;
    board->flowFrontier = {static_cast<int16_t>(start.x * kBoardRows + start.y)};
    board->piping = 1;
}

int BoardTest::GhostPlays() const {
    return g_waveCache.at("ghost.wav")->PlayCount();
}

int BoardTest::BonusPlays() const {
    return g_waveCache.at("bonus.wav")->PlayCount();
}

bool BoardTest::Traced(const std::string& line) const {
    const std::list<std::string> lines = g_pConsole->GetLines();
    size_t fresh = lines.size() - linesAtStart;
    for (auto it = lines.begin(); fresh > 0; ++it, --fresh) {
        if (*it == line) {
            return true;
        }
    }
    return false;
}

void Lay(C_GameBoard& board, const std::vector<std::string>& rows) {
    int y = kBoardRows - static_cast<int>(rows.size());
    for (const std::string& row : rows) {
        std::istringstream cells(row);
        std::string cell;
        for (int x = 0; cells >> cell; ++x) {
            if (cell == ".") {
                continue;
            }
            const size_t slash = std::min(cell.find('/'), cell.size());
            ForcedDraws draws(PipeDraws(cell.substr(0, slash)));
            WellCell piece = DrawnPiece(0, 0, LooseDraws());
            for (const char link : cell.substr(std::min(slash + 1, cell.size()))) {
                SetBit(piece.shapeLinks, static_cast<int>(std::string("URDL").find(link)), true);
            }
            board.cells[x][y] = piece;
        }
        ++y;
    }
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int row = 0; row < kBoardRows; ++row) {
            if (board.PieceAt(x, row) != nullptr) {
                board.UpdateConnections({x, row});
            }
        }
    }
}

void GiveFlatI(C_Round& round) {
    std::vector<int> draws = {DrawFor(SHAPE_I, kShapeTypes)};
    const std::vector<int> up = PipeDraws("U");
    for (int cell = 0; cell < kShapeCells; ++cell) {
        draws.insert(draws.end(), up.begin(), up.end());
    }
    ForcedDraws forced(draws);
    round.currentShape = std::make_unique<C_Tetromino>(round.board.get());
    PlaceAtSpawn(round.currentShape.get());
}
