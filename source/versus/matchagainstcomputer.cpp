#include "versus/matchagainstcomputer.h"

#include <algorithm>

#include "puzzle/gameboard.h"

namespace {

constexpr const char* kStrengthNames[] = {"EASY", "MEDIUM", "HARD"};

}  // namespace

C_MatchAgainstComputer::C_MatchAgainstComputer(const MatchSettings& settings,
                                               OpponentStrength chosen)
    : match(Recorded(settings, records)), opponent(chosen), strength(chosen) {
    // The start the match gave each round is its own, not a command.
    for (RoundRecord& record : records) {
        record.inputs.clear();
    }
}

void C_MatchAgainstComputer::Update(float gameTime) {
    if (match.Over()) {
        return;
    }
    opponent.Play(&match.Round(SIDE_OPPONENT), gameTime, match.Incoming(SIDE_OPPONENT));
    match.Update(gameTime);
}

int C_MatchAgainstComputer::Arrived(int side) const {
    return static_cast<int>(match.Round(side).incoming.size());
}

std::string C_MatchAgainstComputer::OtherLabel() const {
    constexpr int kNames = static_cast<int>(std::size(kStrengthNames));
    return kStrengthNames[std::clamp(static_cast<int>(strength), 0, kNames - 1)];
}

int C_MatchAgainstComputer::OtherScore() const {
    return match.Round(SIDE_OPPONENT).board->score;
}

const C_Well& C_MatchAgainstComputer::OtherWell() {
    seen = SeenWell(match.Round(SIDE_OPPONENT));
    return seen;
}
