#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/matchmessage.h"

enum class MatchRole : uint8_t { Host, Joiner };

// One side of a network match: what it may send and what it accepts from the
// other side, phase by phase. In the lobby the host offers the seed and the
// starting level (START) and the joiner answers when its player presses
// Start (READY); the match has then started on both sides. Each side plays
// its own well and sends attacks, numbered from 1 and taken only in that
// order, snapshots and, at the end, its loss, or that it outlasted the
// other's. Once both ends are known the match is over, both machines knowing
// the same losses to decide it by; the host may offer the next. Each side may
// name its player once, in the lobby. Anything else from the peer is a fault:
// the caller drops the peer. Runs on one thread; sends through the sender it
// is given.
class C_MatchLink {
public:
    enum class Phase : uint8_t { Lobby, Started, Over };
    // Events not yet taken beyond this mean nobody reads them: a fault
    // rather than memory kept without end.
    static constexpr std::size_t kMaxEvents = 256;
    // Hands one encoded message to the network, reliably or not.
    using Sender = std::function<void(const std::vector<uint8_t>& bytes, bool reliable)>;

    struct Event {
        enum Kind : uint8_t {
            // Joiner: the host's offer came (`message` is the START).
            OFFERED,
            // Both: the match starts, with `seed` and `level`.
            BEGAN,
            // An attack for this side to take (`message`); none once this
            // side has told its end.
            ATTACK,
            // The peer's newest well (`message`); a newer one not yet taken
            // replaces it.
            SNAPSHOT,
            // The peer topped out at `message.gameTime`: play on to that time,
            // then send OUTLASTED, unless this side tops out first.
            PEER_LOSS,
            // Both ends are known: this side's loss, if it sent one, and
            // the peer's, if PEER_LOSS told one.
            DECIDED,
            // The peer is gone.
            PEER_GONE,
        };
        Kind kind = OFFERED;
        C_MatchMessage message;
    };

    C_MatchLink(MatchRole role, Sender sender);

    // Each false, sending nothing, outside its phase.
    // Host, in the lobby before its offer or once a match is over.
    bool Offer(uint64_t seed, uint8_t level);
    // Joiner, in the lobby once the offer came.
    bool Ready();
    // Until this side's end; numbers the attack.
    bool SendAttack(uint8_t rows, uint32_t gameTime);
    // Until this side's end; `snapshot`'s kind is set here.
    bool SendSnapshot(C_MatchMessage snapshot);
    bool SendLoss(uint32_t gameTime);
    // Only after the peer's loss, at or past its time.
    bool SendOutlasted(uint32_t gameTime);
    // In the lobby; `name` as a player's (sanitised, maybe empty).
    bool SendName(const std::string& name);

    // Untrusted bytes from the peer. False, with one line's worth of reason
    // in `fault`, when they do not decode or do not belong in this phase, an
    // attack is not the next in number, or the events are not being taken.
    bool Receive(const std::vector<uint8_t>& bytes, std::string& fault);
    // The peer left or was dropped.
    void PeerGone();
    // The oldest event not yet taken.
    bool Poll(Event& out);

    Phase GetPhase() const { return phase; }
    MatchRole GetRole() const { return role; }
    uint64_t GetSeed() const { return seed; }
    uint8_t GetLevel() const { return level; }
    // The host's offer is out and the joiner's ready not yet in.
    bool Offered() const { return phase == Phase::Lobby && offered; }
    uint32_t GetSnapshotsReceived() const { return snapshotsReceived; }
    uint32_t GetAttacksSent() const { return attacksSent; }
    // The peer's attacks of this match taken so far, whether or not this side
    // still played.
    uint32_t GetAttacksTaken() const { return attacksTaken; }
    // In a match that the peer has not ended: its snapshots are due.
    bool PeerPlaying() const { return phase == Phase::Started && !peerEnd; }
    // The name the peer sent; empty before it came.
    const std::string& GetPeerName() const { return peerName; }

private:
    // False once this side has told its end.
    bool Playing() const { return phase == Phase::Started && !ownEnd; }
    void Send(const C_MatchMessage& message, bool reliable);
    void Begin();
    void TryDecide();
    void Push(Event::Kind kind, const C_MatchMessage& message = {});

    MatchRole role;
    Sender sender;
    Phase phase = Phase::Lobby;
    bool offered = false;
    uint64_t seed = 0;
    uint8_t level = 0;
    uint32_t attacksSent = 0;
    // The peer's attacks come in order: the next is numbered one more.
    uint32_t attacksTaken = 0;
    uint32_t snapshotsReceived = 0;
    // Each side's end: a loss at its time, or (no loss) outlasting the other.
    bool ownEnd = false;
    bool peerEnd = false;
    std::optional<uint32_t> ownLoss;
    std::optional<uint32_t> peerLoss;
    bool named = false;
    std::string peerName;
    std::deque<Event> events;
};
