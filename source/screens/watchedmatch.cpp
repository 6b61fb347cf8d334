#include "screens/watchedmatch.h"

#include "puzzle/gameboard.h"
#include "replay/replayplayer.h"
#include "versus/matchagainstcomputer.h"

C_WatchedMatch::C_WatchedMatch(Replay replay) : watch(std::move(replay)) {}

C_Match& C_WatchedMatch::Played() {
    return *watch.Player().Match();
}

const C_Match& C_WatchedMatch::Played() const {
    return *watch.Player().Match();
}

const C_Well& C_WatchedMatch::OtherWell() {
    seen = SeenWell(Played().Round(SIDE_OPPONENT));
    return seen;
}

int C_WatchedMatch::OtherScore() const {
    return Played().Round(SIDE_OPPONENT).board->score;
}

int C_WatchedMatch::Arrived(int side) const {
    return static_cast<int>(Played().Round(side).incoming.size());
}

std::string C_WatchedMatch::OtherLabel() const {
    return StrengthName(watch.Watched().strength);
}
