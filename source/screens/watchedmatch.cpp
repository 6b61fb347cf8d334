#include "screens/watchedmatch.h"

#include "puzzle/gameboard.h"
#include "replay/replayplayer.h"
#include "versus/netmatch.h"

C_WatchedMatch::C_WatchedMatch(Replay replay)
    : watch(std::move(replay)), pieces(SnapshotPieces()) {}

const C_Match* C_WatchedMatch::Played() const {
    return watch.Player().Match();
}

const C_NetMatch* C_WatchedMatch::Net() const {
    return watch.Player().NetMatch();
}

C_Round& C_WatchedMatch::PlayerRound() {
    C_ReplayPlayer& player = watch.Player();
    return player.Match() != nullptr ? player.Match()->Round(SIDE_PLAYER)
                                     : player.NetMatch()->Round();
}

int C_WatchedMatch::LocalSeats() const {
    return Mode() == REPLAY_TWO_PLAYERS ? kMatchSides : 1;
}

C_Round& C_WatchedMatch::SeatRound(int seat) {
    return LocalSeats() > 1 ? watch.Player().Match()->Round(seat) : PlayerRound();
}

const C_Well& C_WatchedMatch::OtherWell() {
    if (const C_NetMatch* net = Net()) {
        DrawSnapshot(net->PeerWell() ? &*net->PeerWell() : nullptr, pieces, &seen);
    } else {
        seen = SeenWell(Played()->Round(SIDE_OPPONENT));
    }
    return seen;
}

int C_WatchedMatch::OtherScore() const {
    if (const C_NetMatch* net = Net()) {
        return net->PeerWell() ? static_cast<int>(net->PeerWell()->score) : 0;
    }
    return Played()->Round(SIDE_OPPONENT).board->score;
}

int C_WatchedMatch::Incoming(int side) const {
    if (const C_NetMatch* net = Net()) {
        if (side == SIDE_PLAYER) {
            return net->Incoming();
        }
        return net->PeerWell() ? net->PeerWell()->incoming : 0;
    }
    return Played()->Incoming(side);
}

int C_WatchedMatch::Arrived(int side) const {
    if (const C_NetMatch* net = Net()) {
        // A snapshot tells the other's rows on their way, not which have come.
        return side == SIDE_PLAYER ? static_cast<int>(net->Round().incoming.size()) : 0;
    }
    return static_cast<int>(Played()->Round(side).incoming.size());
}

int C_WatchedMatch::RowsSent() const {
    if (const C_NetMatch* net = Net()) {
        return net->rowsSent;
    }
    const int sent = Played()->rowsSent[SIDE_PLAYER];
    return LocalSeats() > 1 ? sent + Played()->rowsSent[SIDE_OPPONENT] : sent;
}

int C_WatchedMatch::Winner() const {
    return Net() != nullptr ? Net()->winner : Played()->winner;
}

bool C_WatchedMatch::OtherLeft() const {
    return Net() != nullptr && Net()->peerGone;
}

std::string C_WatchedMatch::OtherLabel() const {
    const Replay& replay = watch.Watched();
    return Mode() == REPLAY_COMPUTER ? StrengthName(replay.strength)
                                     : replay.sides[SIDE_OPPONENT].name;
}

const char* C_WatchedMatch::Picture() const {
    switch (Mode()) {
        case REPLAY_TWO_PLAYERS:
            return "match_two.png";
        case REPLAY_NETWORK:
            return "match_net.png";
        case REPLAY_GAME:
        case REPLAY_COMPUTER:
            break;
    }
    return "match.png";
}
