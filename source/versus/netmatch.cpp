#include "versus/netmatch.h"

#include <algorithm>
#include <iterator>

#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/randomdraw.h"
#include "puzzle/tetromino.h"

namespace {

// The colours a piece can have.
constexpr int kPieceColours = 8;

static_assert(C_MatchMessage::kColumns == kBoardColumns && C_MatchMessage::kRows == kBoardRows,
              "a snapshot holds the whole well");

// A piece's cell in a snapshot: its colour, counted from 1 (0 is empty).
uint8_t CellOf(const WellCell& piece) {
    return static_cast<uint8_t>(
        std::clamp(piece.colourIndex + 1, 1, int{C_MatchMessage::kMaxCell}));
}

// A role's side in the numbers junk rows are seeded by.
int SideOf(MatchRole role) {
    return role == MatchRole::Host ? SIDE_PLAYER : SIDE_OPPONENT;
}

MatchRole PeerOf(MatchRole role) {
    return role == MatchRole::Host ? MatchRole::Joiner : MatchRole::Host;
}

// The link numbers a side's attacks from 1.
Attack ReceivedAttack(MatchRole sender, uint32_t linkSequence, int rows, float arrival) {
    return {SideOf(sender), static_cast<int>(linkSequence) - 1, rows, 0, arrival};
}

}  // namespace

C_NetMatch::C_NetMatch(const C_MatchLink& link, bool quiet, NetMatchRecord* given)
    : C_NetMatch(link.GetSeed(), link.GetLevel(), link.GetRole(), quiet, given) {}

C_NetMatch::C_NetMatch(uint64_t matchSeed, int level, MatchRole side, bool quiet,
                       NetMatchRecord* given)
    : seed(matchSeed),
      role(side),
      round(StartedRound(matchSeed, level, quiet, given != nullptr ? &given->round : nullptr)),
      record(given) {
    end.tie = role == MatchRole::Host ? SIDE_PLAYER : SIDE_OPPONENT;
    if (record != nullptr) {
        // The start the match gave the round is its own, not a command.
        record->round.inputs.clear();
    }
}

void C_NetMatch::Update(float gameTime, C_MatchLink* link) {
    if (record != nullptr) {
        record->updated = gameTime;
    }
    if (Over()) {
        return;
    }
    clock.Advance(gameTime);
    if (link == nullptr || link->GetPhase() == C_MatchLink::Phase::Lobby) {
        C_MatchLink::Event gone;
        gone.kind = C_MatchLink::Event::PEER_GONE;
        Heard(gone);
        PeerLeft();
        return;
    }
    // Up to the decision; what follows it (the next offer) is the lobby's.
    for (C_MatchLink::Event event; !Over() && link->Poll(event);) {
        Heard(event);
        Take(event, gameTime);
    }
    if (!Over() && !ended) {
        Play(gameTime, link);
    }
}

void C_NetMatch::Replayed(float gameTime, const std::vector<C_MatchLink::Event>& heard) {
    if (Over()) {
        return;
    }
    clock.Advance(gameTime);
    for (const C_MatchLink::Event& event : heard) {
        if (Over()) {
            break;
        }
        Take(event, gameTime);
    }
    if (!Over() && !ended) {
        Play(gameTime, nullptr);
    }
}

void C_NetMatch::DrawStep() {
    round->DrawStep();
    if (record != nullptr) {
        record->frames.push_back(record->updated);
        record->updated.reset();
    }
}

void C_NetMatch::Heard(const C_MatchLink::Event& event) {
    if (record == nullptr) {
        return;
    }
    const auto frame = static_cast<uint32_t>(record->frames.size());
    // Of the snapshots taken in one frame only the last is seen.
    if (event.kind == C_MatchLink::Event::SNAPSHOT) {
        for (auto it = record->heard.rbegin(); it != record->heard.rend() && it->frame == frame;
             ++it) {
            if (it->event.kind == C_MatchLink::Event::SNAPSHOT) {
                record->heard.erase(std::next(it).base());
                break;
            }
        }
    }
    record->heard.push_back({frame, event});
}

void C_NetMatch::Take(const C_MatchLink::Event& event, float gameTime) {
    switch (event.kind) {
        case C_MatchLink::Event::ATTACK: {
            const int rows = std::min(int{event.message.rows}, kMaxIncoming - Incoming());
            if (ended || rows <= 0) {
                break;
            }
            waiting.push_back(
                ReceivedAttack(PeerOf(role), event.message.sequence, rows, gameTime + kAttackWait));
            break;
        }
        case C_MatchLink::Event::SNAPSHOT:
            peerWell = event.message;
            break;
        case C_MatchLink::Event::PEER_LOSS:
            end.losses[SIDE_OPPONENT] = event.message.gameTime;
            break;
        case C_MatchLink::Event::DECIDED:
            winner = end.Winner();
            break;
        case C_MatchLink::Event::PEER_GONE:
            PeerLeft();
            break;
        case C_MatchLink::Event::OFFERED:
        case C_MatchLink::Event::BEGAN:
            break;
    }
}

void C_NetMatch::Play(float gameTime, C_MatchLink* link) {
    round->Update(gameTime);
    int rows = CancelWaiting(&waiting, SideOf(role), credit.Take(*round, clock.Time()));
    while (rows > 0) {
        // An attack holds at most a well's rows; a bigger one goes as two.
        const int part = std::min(rows, int{C_MatchMessage::kRows});
        if (link == nullptr || link->SendAttack(static_cast<uint8_t>(part), Millis())) {
            rowsSent += part;
        }
        rows -= part;
    }
    DeliverDue(&waiting, seed, gameTime, [this](int) -> C_Round& { return *round; });
    const bool lost = round->mode == MODE_GAMEOVER;
    if (clock.Time() >= nextSnapshot || lost) {
        nextSnapshot = clock.Time() + snapshotPeriod;
        if (link != nullptr) {
            link->SendSnapshot(Snapshot(*round, Incoming(), Millis()));
        }
    }
    const std::optional<double> peerLoss = end.losses[SIDE_OPPONENT];
    if (lost) {
        Lose(link);
    } else if (peerLoss && Millis() >= *peerLoss) {
        ended = link == nullptr || link->SendOutlasted(Millis());
    }
}

void C_NetMatch::Forfeit(C_MatchLink* link) {
    if (!Over() && !ended && link != nullptr) {
        Lose(link);
    }
}

void C_NetMatch::Lose(C_MatchLink* link) {
    const uint32_t millis = Millis();
    ended = link == nullptr || link->SendLoss(millis);
    if (ended) {
        end.losses[SIDE_PLAYER] = millis;
    }
}

void C_NetMatch::PeerLeft() {
    peerGone = true;
    end.left[SIDE_OPPONENT] = true;
    winner = end.Winner();
}

uint32_t C_NetMatch::Millis() const {
    const double millis =
        std::clamp(clock.Time() * 1000.0, 0.0, double{C_MatchMessage::kMaxGameTime});
    return static_cast<uint32_t>(millis);
}

int C_NetMatch::Incoming() const {
    return IncomingRows(waiting, SideOf(role), *round);
}

C_MatchMessage C_NetMatch::Snapshot(const C_Round& round, int incoming, uint32_t millis) {
    C_MatchMessage snapshot;
    snapshot.kind = C_MatchMessage::SNAPSHOT;
    snapshot.gameTime = millis;
    snapshot.score = static_cast<uint32_t>(std::max(0, round.board->score));
    snapshot.incoming = static_cast<uint8_t>(std::clamp(incoming, 0, 255));
    const auto at = [&snapshot](int x, int y) -> uint8_t& {
        return snapshot.cells[static_cast<size_t>(y * kBoardColumns + x)];
    };
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (const WellCell* piece = round.board->PieceAt(x, y)) {
                at(x, y) = CellOf(*piece);
            }
        }
    }
    // The falling shape, as the other player would see it.
    if (const C_Tetromino* shape = round.currentShape.get()) {
        for (int i = 0; i < kBoxSize; ++i) {
            for (int j = 0; j < kBoxSize; ++j) {
                const WellCell* piece = shape->PieceInBox(i, j);
                const int x = shape->GetColumn() + i;
                const int y = shape->GetRow() + j;
                if (piece != nullptr && x >= 0 && x < kBoardColumns && y >= 0 && y < kBoardRows) {
                    at(x, y) = CellOf(*piece);
                }
            }
        }
    }
    return snapshot;
}

NetMatchSnapshot C_NetMatch::Keep() const {
    return {round->Snapshot(), waiting, credit,   peerWell, end, ended, clock,
            nextSnapshot,      winner,  peerGone, rowsSent};
}

void C_NetMatch::Restore(const NetMatchSnapshot& snapshot) {
    round->Restore(snapshot.round);
    waiting = snapshot.waiting;
    credit = snapshot.credit;
    peerWell = snapshot.peerWell;
    end = snapshot.end;
    ended = snapshot.ended;
    clock = snapshot.clock;
    nextSnapshot = snapshot.nextSnapshot;
    winner = snapshot.winner;
    peerGone = snapshot.peerGone;
    rowsSent = snapshot.rowsSent;
}

std::vector<WellCell> SnapshotPieces() {
    std::vector<WellCell> pieces;
    for (int colour = 0; colour < kPieceColours; ++colour) {
        pieces.push_back(DrawnPiece(colour, 0, LooseDraws()));
    }
    return pieces;
}

void DrawSnapshot(const C_MatchMessage* snapshot, const std::vector<WellCell>& pieces,
                  C_Well* seen) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const int value = snapshot != nullptr
                                  ? snapshot->cells[static_cast<size_t>(y * kBoardColumns + x)]
                                  : 0;
            const bool known = value > 0 && value <= static_cast<int>(pieces.size());
            seen->cells[x][y] = known ? pieces[static_cast<size_t>(value - 1)] : WellCell();
        }
    }
}
