#include "versus/matchwatched.h"

#include "net/hello.h"
#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
#include "puzzle/tetromino.h"

namespace {

constexpr int kPieceColours = 8;

std::size_t At(int seat) {
    return seat == SIDE_OPPONENT ? 1 : 0;
}

}  // namespace

C_MatchWatched::C_MatchWatched(C_Net& network) : net(network) {
    for (int colour = 0; colour < kPieceColours; ++colour) {
        pieces.push_back(DrawnPiece(colour, 0, LooseDraws()));
    }
    // Over the network a tie is the host's, here the room's maker's.
    end.tie = SIDE_PLAYER;
    StartOver(0);
}

C_MatchWatched::~C_MatchWatched() = default;

void C_MatchWatched::StartOver(int level) {
    for (auto& round : rounds) {
        // A well that only shows: no shape falls in it, none waits.
        round = std::make_unique<C_Round>(RoundSettings{0, level, true, nullptr, nullptr});
        round->currentShape.reset();
        round->nextShape.reset();
    }
    incoming.fill(0);
    ended.fill(false);
    const int tie = end.tie;
    end = MatchEnd{};
    end.tie = tie;
    winner = kNoWinner;
}

void C_MatchWatched::Update(float /*gameTime*/) {
    for (C_Net::Watched news; net.TakeWatched(news);) {
        Take(news);
    }
}

void C_MatchWatched::Take(const C_Net::Watched& news) {
    const int seat = news.seat == 0 ? SIDE_PLAYER : SIDE_OPPONENT;
    if (news.left) {
        end.left[At(seat)] = true;
        ended[At(seat)] = true;
    }
    C_MatchMessage message;
    C_Hello hello;
    // A hello tells only which game the player plays; a datagram this
    // version cannot read is the players' business, not the watcher's.
    if (!news.left && !C_Hello::Decode(news.bytes, hello) &&
        C_MatchMessage::Decode(news.bytes, message) == C_MatchMessage::NONE) {
        switch (message.kind) {
            case C_MatchMessage::START:
                if (seat == SIDE_PLAYER) {
                    StartOver(message.level);
                }
                break;
            case C_MatchMessage::SNAPSHOT:
                Show(seat, message);
                break;
            case C_MatchMessage::LOSS:
                end.losses[At(seat)] = message.gameTime;
                ended[At(seat)] = true;
                break;
            case C_MatchMessage::OUTLASTED:
                ended[At(seat)] = true;
                break;
            case C_MatchMessage::NAME:
                names[At(seat)] = message.name;
                break;
            case C_MatchMessage::READY:
            case C_MatchMessage::ATTACK:
                break;
        }
    }
    // Decided as the players decide it: once both ends are known, or one left.
    const bool known = (ended[0] && ended[1]) || end.left[0] || end.left[1];
    if (winner == kNoWinner && known) {
        winner = end.Winner();
    }
}

void C_MatchWatched::Show(int seat, const C_MatchMessage& snapshot) {
    C_GameBoard& board = *rounds[At(seat)]->board;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const int value = snapshot.cells[static_cast<size_t>(y * kBoardColumns + x)];
            const bool known = value > 0 && value <= kPieceColours;
            board.cells[x][y] = known ? pieces[static_cast<size_t>(value - 1)] : WellCell();
        }
    }
    board.score = static_cast<int>(snapshot.score);
    incoming[At(seat)] = snapshot.incoming;
    ++snapshots[At(seat)];
}

C_Round& C_MatchWatched::SeatRound(int seat) {
    return *rounds[At(seat)];
}

const C_Well& C_MatchWatched::OtherWell() {
    return *rounds[SIDE_OPPONENT]->board;
}

int C_MatchWatched::OtherScore() const {
    return rounds[SIDE_OPPONENT]->board->score;
}

int C_MatchWatched::Incoming(int side) const {
    return incoming[At(side)];
}

void C_MatchWatched::Leave() {
    // Out of the room: the relay forgets the watcher.
    net.Init();
}

std::string C_MatchWatched::SeatName(int seat) const {
    const std::string& name = names[At(seat)];
    if (!name.empty()) {
        return name;
    }
    return seat == SIDE_PLAYER ? "ROOM'S MAKER" : "JOINED PLAYER";
}

uint32_t C_MatchWatched::SnapshotsSeen(int seat) const {
    return snapshots[At(seat)];
}
