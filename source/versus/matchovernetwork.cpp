#include "versus/matchovernetwork.h"

#include <chrono>

#include "net/net.h"
#include "puzzle/gameboard.h"
#include "puzzle/piece.h"

namespace {

// Beyond these the link is called slow on the screen.
constexpr std::chrono::milliseconds kSlowRoundTrip{400};
constexpr std::chrono::seconds kSnapshotGap{1};
constexpr int kPieceColours = 8;
constexpr int kOpaque = 255;

}  // namespace

C_MatchOverNetwork::C_MatchOverNetwork(C_Net& network)
    : net(network), match(*network.Match(), false), peerName(network.PeerName()) {
    for (int colour = 0; colour < kPieceColours; ++colour) {
        pieces.push_back(std::make_unique<C_Piece>(colour, 0, 0, 0, 0));
    }
}

C_MatchOverNetwork::~C_MatchOverNetwork() = default;

void C_MatchOverNetwork::Update(float gameTime) {
    match.Update(gameTime, net.Match());
}

void C_MatchOverNetwork::Leave() {
    // The session stays for the next match.
    match.Forfeit(net.Match());
}

int C_MatchOverNetwork::OtherScore() const {
    return match.PeerWell() ? static_cast<int>(match.PeerWell()->score) : 0;
}

int C_MatchOverNetwork::Incoming(int side) const {
    if (side == SIDE_PLAYER) {
        return match.Incoming();
    }
    return match.PeerWell() ? match.PeerWell()->incoming : 0;
}

int C_MatchOverNetwork::Arrived(int side) const {
    // A snapshot tells the other's rows on their way, not which have come.
    return side == SIDE_PLAYER ? static_cast<int>(match.Round().incoming.size()) : 0;
}

std::string C_MatchOverNetwork::OtherLabel() const {
    // A slow link says so instead of the name, the game going on.
    const bool slow = !match.Over() && !match.PeerEnded() &&
                      (net.RoundTrip() > kSlowRoundTrip || net.SinceLastSnapshot() > kSnapshotGap);
    return slow ? "SLOW LINK" : peerName;
}

const std::vector<SeenCell>& C_MatchOverNetwork::OtherWell() {
    seen.clear();
    if (!match.PeerWell()) {
        return seen;
    }
    const C_MatchMessage& well = *match.PeerWell();
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const int value = well.cells[static_cast<size_t>(y * kBoardColumns + x)];
            if (value > 0 && value <= kPieceColours) {
                seen.push_back({x, y, pieces[static_cast<size_t>(value - 1)].get(), kOpaque});
            }
        }
    }
    return seen;
}
