#include "net/matchlink.h"

#include <string>
#include <utility>

namespace {

// With its article, to begin a fault.
const char* KindName(uint8_t kind) {
    switch (kind) {
        case C_MatchMessage::START:
            return "a start";
        case C_MatchMessage::READY:
            return "a ready";
        case C_MatchMessage::ATTACK:
            return "an attack";
        case C_MatchMessage::LOSS:
            return "a loss";
        case C_MatchMessage::OUTLASTED:
            return "an outlasted";
        case C_MatchMessage::SNAPSHOT:
            return "a snapshot";
        case C_MatchMessage::NAME:
            return "a name";
        default:
            return "an unknown";
    }
}

const char* PhaseName(C_MatchLink::Phase phase) {
    switch (phase) {
        case C_MatchLink::Phase::Lobby:
            return "lobby";
        case C_MatchLink::Phase::Started:
            return "match";
        case C_MatchLink::Phase::Over:
            return "finished match";
    }
    return "unknown phase";
}

}  // namespace

C_MatchLink::C_MatchLink(MatchRole side, Sender send) : role(side), sender(std::move(send)) {}

bool C_MatchLink::Offer(uint64_t matchSeed, uint8_t startLevel) {
    if (role != MatchRole::Host || !(phase == Phase::Over || (phase == Phase::Lobby && !offered))) {
        return false;
    }
    phase = Phase::Lobby;
    offered = true;
    seed = matchSeed;
    level = startLevel;
    C_MatchMessage start;
    start.kind = C_MatchMessage::START;
    start.seed = seed;
    start.level = level;
    Send(start, true);
    return true;
}

bool C_MatchLink::Ready() {
    if (role != MatchRole::Joiner || phase != Phase::Lobby || !offered) {
        return false;
    }
    C_MatchMessage ready;
    ready.kind = C_MatchMessage::READY;
    Send(ready, true);
    Begin();
    return true;
}

bool C_MatchLink::SendAttack(uint8_t rows, uint32_t gameTime) {
    C_MatchMessage attack;
    attack.kind = C_MatchMessage::ATTACK;
    attack.sequence = attacksSent + 1;
    attack.rows = rows;
    attack.gameTime = gameTime;
    if (!Playing() || attack.Encode().empty()) {
        return false;
    }
    ++attacksSent;
    Send(attack, true);
    return true;
}

bool C_MatchLink::SendSnapshot(C_MatchMessage snapshot) {
    snapshot.kind = C_MatchMessage::SNAPSHOT;
    if (!Playing() || snapshot.Encode().empty()) {
        return false;
    }
    // A lost snapshot is soon replaced by the next.
    Send(snapshot, false);
    return true;
}

bool C_MatchLink::SendLoss(uint32_t gameTime) {
    if (!Playing()) {
        return false;
    }
    C_MatchMessage loss;
    loss.kind = C_MatchMessage::LOSS;
    loss.gameTime = gameTime;
    Send(loss, true);
    ownEnd = true;
    ownLoss = gameTime;
    TryDecide();
    return true;
}

bool C_MatchLink::SendOutlasted(uint32_t gameTime) {
    if (!Playing() || !peerLoss || gameTime < *peerLoss) {
        return false;
    }
    C_MatchMessage outlasted;
    outlasted.kind = C_MatchMessage::OUTLASTED;
    outlasted.gameTime = gameTime;
    Send(outlasted, true);
    ownEnd = true;
    TryDecide();
    return true;
}

bool C_MatchLink::SendName(const std::string& name) {
    C_MatchMessage message;
    message.kind = C_MatchMessage::NAME;
    message.name = name;
    if (phase != Phase::Lobby || message.Encode().empty()) {
        return false;
    }
    Send(message, true);
    return true;
}

bool C_MatchLink::Receive(const std::vector<uint8_t>& bytes, std::string& fault) {
    C_MatchMessage message;
    const C_MatchMessage::Fault decoded = C_MatchMessage::Decode(bytes, message);
    if (decoded != C_MatchMessage::NONE) {
        fault = std::string("a message ") + C_MatchMessage::Describe(decoded);
        return false;
    }
    if (events.size() >= kMaxEvents) {
        fault = "more messages than the game could read";
        return false;
    }
    const bool peerPlaying = phase == Phase::Started && !peerEnd;
    switch (message.kind) {
        case C_MatchMessage::START:
            if (role != MatchRole::Joiner ||
                !(phase == Phase::Over || (phase == Phase::Lobby && !offered))) {
                break;
            }
            phase = Phase::Lobby;
            offered = true;
            seed = message.seed;
            level = message.level;
            Push(Event::OFFERED, message);
            return true;
        case C_MatchMessage::READY:
            if (role != MatchRole::Host || phase != Phase::Lobby || !offered) {
                break;
            }
            Begin();
            return true;
        case C_MatchMessage::ATTACK:
            if (!peerPlaying) {
                break;
            }
            // Reliable and in order: any other number is not our peer's.
            if (message.sequence != attacksTaken + 1) {
                fault = "an attack numbered " + std::to_string(message.sequence) + " where " +
                        std::to_string(attacksTaken + 1) + " was next";
                return false;
            }
            attacksTaken = message.sequence;
            // This side has ended: the rows could only be kept, never pushed in.
            if (!ownEnd) {
                Push(Event::ATTACK, message);
            }
            return true;
        case C_MatchMessage::SNAPSHOT:
            if (!peerPlaying) {
                break;
            }
            ++snapshotsReceived;
            // Only the newest well is shown.
            if (!events.empty() && events.back().kind == Event::SNAPSHOT) {
                events.back().message = message;
            } else {
                Push(Event::SNAPSHOT, message);
            }
            return true;
        case C_MatchMessage::LOSS:
            if (!peerPlaying) {
                break;
            }
            peerEnd = true;
            peerLoss = message.gameTime;
            Push(Event::PEER_LOSS, message);
            TryDecide();
            return true;
        case C_MatchMessage::OUTLASTED:
            // Only an answer to this side's loss, and no earlier than it.
            if (!peerPlaying || !ownLoss || message.gameTime < *ownLoss) {
                break;
            }
            peerEnd = true;
            TryDecide();
            return true;
        case C_MatchMessage::NAME:
            if (phase != Phase::Lobby || named) {
                break;
            }
            named = true;
            peerName = message.name;
            return true;
    }
    fault =
        std::string(KindName(message.kind)) + " message out of place in the " + PhaseName(phase);
    return false;
}

void C_MatchLink::PeerGone() {
    if (phase == Phase::Started) {
        phase = Phase::Over;
    }
    Push(Event::PEER_GONE);
}

bool C_MatchLink::Poll(Event& out) {
    if (events.empty()) {
        return false;
    }
    out = events.front();
    events.pop_front();
    return true;
}

void C_MatchLink::Send(const C_MatchMessage& message, bool reliable) {
    if (sender) {
        sender(message.Encode(), reliable);
    }
}

void C_MatchLink::Begin() {
    phase = Phase::Started;
    attacksSent = 0;
    attacksTaken = 0;
    ownEnd = peerEnd = false;
    ownLoss.reset();
    peerLoss.reset();
    C_MatchMessage start;
    start.kind = C_MatchMessage::START;
    start.seed = seed;
    start.level = level;
    Push(Event::BEGAN, start);
}

void C_MatchLink::TryDecide() {
    if (!ownEnd || !peerEnd) {
        return;
    }
    phase = Phase::Over;
    Push(Event::DECIDED);
}

void C_MatchLink::Push(Event::Kind kind, const C_MatchMessage& message) {
    Event event;
    event.kind = kind;
    event.message = message;
    events.push_back(event);
}
