#include "versus/match.h"

#include <algorithm>

#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"

namespace {

// splitmix64's step: spreads nearby inputs over the whole seed space.
uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30u)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27u)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31u);
}

constexpr uint64_t kRowSalt = 0x6A756E6B726F7773ULL;

}  // namespace

int AttackRows(int flows, int cycles, float matchTime) {
    if (flows == 0) {
        return 0;
    }
    return flows - 1 + cycles + static_cast<int>(matchTime / kRampPeriod);
}

uint64_t JunkRowSeed(uint64_t matchSeed, int sender, int sequence, int row) {
    uint64_t value = Mix(matchSeed ^ kRowSalt);
    value = Mix(value ^ static_cast<uint64_t>(sender));
    value = Mix(value ^ static_cast<uint64_t>(sequence));
    return Mix(value ^ static_cast<uint64_t>(row));
}

C_Well SeenWell(const C_Round& round) {
    C_Well seen = round.board->Rules();
    if (const C_Tetromino* shape = round.currentShape.get()) {
        for (int i = 0; i < shape->GetBoxSize(); ++i) {
            for (int j = 0; j < shape->GetBoxSize(); ++j) {
                const WellCell* piece = shape->PieceInBox(i, j);
                const int row = shape->GetRow() + j;
                if (piece != nullptr && row >= 0) {
                    seen.cells[shape->GetColumn() + i][row] = *piece;
                }
            }
        }
    }
    return seen;
}

std::unique_ptr<C_Round> StartedRound(uint64_t seed, int level, bool quiet, RoundRecord* record) {
    RoundSettings settings;
    settings.seed = seed;
    settings.level = level;
    settings.quiet = quiet;
    settings.record = record;
    auto round = std::make_unique<C_Round>(settings);
    round->Command(COMMAND_START);
    return round;
}

MatchSettings Recorded(MatchSettings settings, std::array<RoundRecord, kMatchSides>& records) {
    for (int side = 0; side < kMatchSides; ++side) {
        settings.records[static_cast<size_t>(side)] = &records[static_cast<size_t>(side)];
    }
    return settings;
}

C_Match::C_Match(const MatchSettings& settings) : seed(settings.seed) {
    for (int side = 0; side < kMatchSides; ++side) {
        rounds[static_cast<size_t>(side)] =
            StartedRound(settings.seed, settings.level, side == SIDE_OPPONENT || settings.quiet,
                         settings.records[static_cast<size_t>(side)]);
    }
}

void C_Match::Update(float gameTime) {
    if (Over()) {
        return;
    }
    const float matchTime = clock.Advance(gameTime);
    for (auto& round : rounds) {
        round->Update(gameTime);
    }
    // Both sides' cancels come before either sends, so neither's rows of
    // this frame can be cancelled in the frame they were earned.
    std::array<int, kMatchSides> toSend{};
    for (int side = 0; side < kMatchSides; ++side) {
        const auto at = static_cast<size_t>(side);
        const int earned = credits[at].Take(Round(side), matchTime);
        toSend[at] = CancelWaiting(&attacks, side, earned);
        rowsCancelled[at] += earned - toSend[at];
    }
    for (int side = 0; side < kMatchSides; ++side) {
        const int rows = toSend[static_cast<size_t>(side)];
        if (rows > 0) {
            int& sequence = sequences[static_cast<size_t>(side)];
            attacks.push_back({side, sequence, rows, 0, gameTime + kAttackWait});
            sequence += 1;
            rowsSent[static_cast<size_t>(side)] += rows;
        }
    }
    DeliverDue(&attacks, seed, gameTime, [this](int side) -> C_Round& { return Round(side); });
    MatchEnd end;
    for (int side = 0; side < kMatchSides; ++side) {
        if (Round(side).mode == MODE_GAMEOVER) {
            end.losses[static_cast<size_t>(side)] = matchTime;
        }
    }
    winner = end.Winner();
}

void C_Match::DrawStep() {
    for (auto& round : rounds) {
        round->DrawStep();
    }
}

int CascadeCredit::Take(const C_Round& round, float matchTime) {
    if (round.cascadeNumber != seenCascade) {
        seenCascade = round.cascadeNumber;
        credited = 0;
        began = -1.0f;
    }
    if (round.cascadeFlows > 0 && began < 0.0f) {
        began = matchTime;
    }
    const int earned = AttackRows(round.cascadeFlows, round.cascadeCycles, began);
    const int fresh = std::max(0, earned - credited);
    credited = std::max(credited, earned);
    return fresh;
}

int CancelWaiting(std::vector<Attack>* attacks, int receiver, int rows) {
    for (Attack& attack : *attacks) {
        if (rows == 0) {
            break;
        }
        if (attack.sender == receiver) {
            continue;
        }
        const int cancelled = std::min(rows, attack.rows - attack.cancelled);
        attack.cancelled += cancelled;
        rows -= cancelled;
    }
    attacks->erase(std::remove_if(attacks->begin(), attacks->end(),
                                  [](const Attack& a) { return a.cancelled == a.rows; }),
                   attacks->end());
    return rows;
}

void DeliverDue(std::vector<Attack>* attacks, uint64_t matchSeed, float gameTime,
                const std::function<C_Round&(int receiver)>& roundOf) {
    for (const Attack& attack : *attacks) {
        if (attack.arrival > gameTime) {
            continue;
        }
        C_Round& receiver = roundOf(OtherSide(attack.sender));
        for (int row = attack.cancelled; row < attack.rows; ++row) {
            receiver.Receive(JunkRowSeed(matchSeed, attack.sender, attack.sequence, row));
        }
    }
    attacks->erase(std::remove_if(attacks->begin(), attacks->end(),
                                  [gameTime](const Attack& a) { return a.arrival <= gameTime; }),
                   attacks->end());
}

int C_Match::Waiting(int side) const {
    int rows = 0;
    for (const Attack& attack : WaitingFor(side)) {
        rows += attack.rows - attack.cancelled;
    }
    return rows;
}

int C_Match::Incoming(int side) const {
    return IncomingRows(attacks, side, Round(side));
}

int IncomingRows(const std::vector<Attack>& attacks, int receiver, const C_Round& round) {
    int rows = static_cast<int>(round.incoming.size());
    for (const Attack& attack : attacks) {
        if (attack.sender != receiver) {
            rows += attack.rows - attack.cancelled;
        }
    }
    return rows;
}

std::vector<Attack> C_Match::WaitingFor(int side) const {
    std::vector<Attack> waiting;
    for (const Attack& attack : attacks) {
        if (attack.sender != side) {
            waiting.push_back(attack);
        }
    }
    return waiting;
}

MatchSnapshot C_Match::Snapshot() const {
    MatchSnapshot snapshot;
    for (int side = 0; side < kMatchSides; ++side) {
        snapshot.rounds[static_cast<size_t>(side)] = Round(side).Snapshot();
    }
    snapshot.attacks = attacks;
    snapshot.sequences = sequences;
    snapshot.credits = credits;
    snapshot.clock = clock;
    snapshot.winner = winner;
    snapshot.rowsSent = rowsSent;
    snapshot.rowsCancelled = rowsCancelled;
    return snapshot;
}

void C_Match::Restore(const MatchSnapshot& snapshot) {
    for (int side = 0; side < kMatchSides; ++side) {
        Round(side).Restore(snapshot.rounds[static_cast<size_t>(side)]);
    }
    attacks = snapshot.attacks;
    sequences = snapshot.sequences;
    credits = snapshot.credits;
    clock = snapshot.clock;
    winner = snapshot.winner;
    rowsSent = snapshot.rowsSent;
    rowsCancelled = snapshot.rowsCancelled;
}
