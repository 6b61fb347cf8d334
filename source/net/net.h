#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/hresult.h"
#include "net/hello.h"
#include "net/matchlink.h"
#include "platform/namelookup.h"
#include "platform/session.h"

// What a session is opened with; the joiner fills in only the GUID.
struct C_ApplicationDesc {
    C_Hello::Guid guidApplication{};
    int32_t maxPlayers = 0;
    std::string sessionName;
};

struct C_PlayerInfo {
    std::string name;
};

// The two-player peer session, started from the console.
class C_Net {
public:
    // The port the host listens on and the joiner connects to. Open it (UDP)
    // in a firewall on the hosting machine.
    static constexpr uint16_t kDefaultPort = 27420;
    static constexpr C_Hello::Guid kApplicationGuid = {0xD1, 0x05, 0x06, 0x05, 0x6F, 0xB3,
                                                       0x4F, 0x8D, 0xAA, 0x50, 0xB9, 0xE8,
                                                       0xB4, 0x70, 0x9D, 0xEA};
    static constexpr int32_t kMaxPlayers = 2;

    // Where the session stands, for a screen to show.
    enum class LinkState : uint8_t {
        Idle,
        // A joined host's name is being resolved.
        LookingUp,
        // Connecting to a host, or hosting, with nobody here yet.
        Connecting,
        Hosting,
        // The other player is here: Match() is theirs.
        Connected,
        // The other player left, or was dropped.
        PeerLost,
    };
    // Pending network events beyond this mean the frame has stopped reading
    // them: the peer is dropped rather than kept in memory without end.
    static constexpr std::size_t kMaxInbox = 1024;
    // No snapshot for this long from a player still in a match: they are
    // gone, as though the network had lost them. Once they have told their
    // end they owe nothing more, so nothing else needs sending to stay.
    static constexpr std::chrono::seconds kPeerSilence{5};

    // Tests pass a port of their own; 0 hosts on one the system picks. A
    // test may also pass the resolver that turns a joined name into an address.
    explicit C_Net(uint16_t port = kDefaultPort,
                   platform::NameLookup::Resolver resolver = &platform::Session::Resolve);
    // Stops the session's thread before anything it touches goes, then
    // releases the host address, the device address and the peer.
    ~C_Net();
    C_Net(const C_Net&) = delete;
    C_Net& operator=(const C_Net&) = delete;

    // Makes the peer and its addresses; each failure is reported and the
    // remaining steps still run. Run again, it closes the old session first.
    void Init();
    // Every step of Host and Join needs the peer or an address; without them
    // they only mark which side this is.
    // Hosts a session; always returns 1 and marks this side the host.
    int Host();
    // Connects to the session on `hostName`; always returns 0, at once: the
    // name resolves off the frame, Update connects (or reports the failures)
    // once it has, and the outcome of the connect arrives later as a message.
    int Join(std::string hostName);

    // On the main thread, once a frame: connects once a joined name has
    // resolved, and hands the other player's messages to Match(). A message
    // that does not belong, or a match's silence past kPeerSilence on the
    // platform clock, drops the player, with one console line.
    void Update();
    LinkState GetLinkState() const { return state; }
    // The match with the player here; null while there is none. Valid until
    // the next Init, Host, Join or Update.
    C_MatchLink* Match() { return link.get(); }
    // How slow the link to the other player is: the network layer's round
    // trip (-1 without a player), and the time since their last snapshot
    // (or the match's start).
    std::chrono::milliseconds RoundTrip() const;
    std::chrono::duration<double> SinceLastSnapshot() const;

    // Called once for every session event; prints the one line all events print.
    static HRESULT DirectPlayMessageHandler(void* userContext, uint32_t messageType,
                                            const void* message);

    bool IsHost() const { return isHost != 0; }
    // Who the other player is, to show: the name they sent; until it comes
    // the host's name as joined, or the joined player's address; empty
    // before either.
    std::string PeerName() const;
    // The name this side's player goes by, sent to each player met; unset,
    // the login name.
    void SetPlayerName(const std::string& name) { playerName = name; }
    // Hosting, on the way to a host, or with another player: the game then
    // runs frames with its window in the background, so that neither side
    // holds up the other's joining, start or match.
    bool NeedsFrames() const { return state != LinkState::Idle && state != LinkState::PeerLost; }
    // Messages handled since construction, from any thread.
    int GetMessageCount() const { return messages.load(); }
    // The port this side's host listens on; 0 when it hosts nothing.
    uint16_t GetHostPort() const;
    // This machine's address and name as it began hosting, for the other
    // player to type; empty when neither is known.
    const std::string& GetHostedAt() const { return hostedAt; }

private:
    // What the session's thread passes to the main thread.
    struct Inbound {
        enum Kind : uint8_t { Joined, Left, Message, Overflowed };
        Kind kind = Joined;
        platform::SessionPeer peer;
        std::vector<uint8_t> bytes;
    };

    void Release();
    // Runs on the session's thread.
    void OnEvent(const platform::SessionEvent& event);
    void Deliver(Inbound inbound);
    // Main thread.
    void FinishLookup();
    void Take(const Inbound& inbound);
    // Forgets the player and the match; inbound news of them is then stale.
    void ForgetPeer();
    // Drops the player for `reason`, with one console line.
    void DropPeer(const std::string& reason);

    std::unique_ptr<platform::Session> peer;
    std::unique_ptr<platform::SessionAddress> deviceAddress;
    std::unique_ptr<platform::SessionAddress> hostAddress;
    C_ApplicationDesc applicationDescription;
    C_PlayerInfo playerInformation;
    int isHost = 0;

    uint16_t port;
    // Set while this side hosts: the host turns away peers that are not ours.
    std::atomic<bool> checksPeers{false};
    std::atomic<int> messages{0};

    platform::NameLookup lookup;
    std::string joinedName;
    std::string hostedAt;
    LinkState state = LinkState::Idle;
    // The player the match is with, and the match.
    platform::SessionPeer linkPeer;
    std::unique_ptr<C_MatchLink> link;
    std::string playerName;
    // On the platform clock, in seconds: the last snapshot, or the start of
    // the match awaiting its first.
    double lastSnapshot = 0.0;
    // The link awaited the other player's snapshots at the last update.
    bool snapshotsDue = false;
    // Filled by the session's thread, emptied by Update.
    std::mutex inboxLock;
    std::vector<Inbound> inbox;
    bool inboxFull = false;
};
