#include "versus/matchtwoplayers.h"

#include "puzzle/gameboard.h"

C_MatchTwoPlayers::C_MatchTwoPlayers(const MatchSettings& settings)
    : match(Recorded(settings, records)) {
    // The start the match gave each round is its own, not a command.
    for (RoundRecord& record : records) {
        record.inputs.clear();
    }
    // The match leaves the second round quiet, as the computer's is.
    if (!settings.quiet) {
        flowSounds = std::make_unique<C_BoardSounds>();
        match.Round(SIDE_OPPONENT).Listen(flowSounds.get());
    }
}

C_MatchTwoPlayers::~C_MatchTwoPlayers() {
    if (flowSounds) {
        match.Round(SIDE_OPPONENT).StopListening(flowSounds.get());
    }
}

const C_Well& C_MatchTwoPlayers::OtherWell() {
    seen = SeenWell(match.Round(SIDE_OPPONENT));
    return seen;
}

int C_MatchTwoPlayers::OtherScore() const {
    return match.Round(SIDE_OPPONENT).board->score;
}

int C_MatchTwoPlayers::Arrived(int side) const {
    return static_cast<int>(match.Round(side).incoming.size());
}
