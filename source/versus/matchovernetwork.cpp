#include "versus/matchovernetwork.h"

#include <chrono>

#include "net/net.h"
#include "puzzle/gameboard.h"

namespace {

// Beyond these the link is called slow on the screen.
constexpr std::chrono::milliseconds kSlowRoundTrip{400};
constexpr std::chrono::seconds kSnapshotGap{1};

}  // namespace

C_MatchOverNetwork::C_MatchOverNetwork(C_Net& network)
    : net(network),
      match(*network.Match(), false, &record),
      peerName(network.PeerName()),
      pieces(SnapshotPieces()) {}

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

const C_Well& C_MatchOverNetwork::OtherWell() {
    DrawSnapshot(match.PeerWell() ? &*match.PeerWell() : nullptr, pieces, &seen);
    return seen;
}
