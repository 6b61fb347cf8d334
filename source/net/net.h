#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/hresult.h"
#include "net/hello.h"
#include "net/matchlink.h"
#include "net/relaymessage.h"
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

// The two-player peer session, started from the console: on a LAN, one side
// hosts and the other joins it by name; over the internet both reach a relay,
// one making a room and the other joining it by the room's code, and a third
// may watch the room. Through a relay the match is the same as on a LAN: the
// room's maker hosts it, and the hello and the match's messages travel as
// datagrams the relay passes on unchanged.
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
        // A room made at a relay, waiting for the other player to join it by
        // its code.
        InRoom,
        // Watching a room at a relay: its players' datagrams come to
        // TakeWatched.
        Watching,
    };
    // What a watcher hears of a room: a datagram the player at `seat` sent,
    // whole, or (`left`) that the player left.
    struct Watched {
        uint8_t seat = 0;
        bool left = false;
        std::vector<uint8_t> bytes;
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
    // Through the relay at `relay` (HOST or HOST:PORT): makes a room, joins
    // the room a code names, or watches it. Each returns at once, as Join
    // does; the relay's answer comes later. A refusal, or a relay that cannot
    // be reached, leaves this side idle with one console line, the line
    // GetRefusal gives.
    void CreateRoom(const std::string& relay);
    void JoinRoom(const std::string& relay, const std::string& code);
    void WatchRoom(const std::string& relay, const std::string& code);
    // The room this side is in, once the relay has answered; empty before.
    const std::string& GetRoomCode() const { return roomCode; }
    const std::string& GetRefusal() const { return refusal; }
    // Through a relay rather than on a LAN.
    bool ThroughRelay() const { return relayMode; }
    // Watching: the oldest news of the room not yet taken.
    bool TakeWatched(Watched& out);

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
    // Starts for a room: the request is the connection's greeting.
    void StartRelay(C_RelayMessage::Kind kind, const std::string& relay, const std::string& code);
    // Main thread: news from the relay's connection.
    void TakeRelayed(const Inbound& inbound);
    void TakeFromRelay(const C_RelayMessage& message);
    // The player's datagram, passed on by the relay.
    void TakePassedOn(const std::vector<uint8_t>& bytes);
    // Both sides have said hello through the room: the match is theirs.
    void LinkThroughRelay();
    // The match with the player `to` reaches, directly or through a relay.
    void OpenLink(platform::SessionPeer to);
    void Watch(Watched news);
    // Leaves the relay and says why, with one console line.
    void LeaveRelay(const std::string& why);

    std::unique_ptr<platform::Session> peer;
    std::unique_ptr<platform::SessionAddress> deviceAddress;
    std::unique_ptr<platform::SessionAddress> hostAddress;
    C_ApplicationDesc applicationDescription;
    C_PlayerInfo playerInformation;
    int isHost = 0;

    uint16_t port;
    // Set while this side hosts: the host turns away peers that are not ours.
    std::atomic<bool> checksPeers{false};
    // Set while this side goes through a relay: every packet is the main
    // thread's to read.
    std::atomic<bool> relayMode{false};
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

    // Through a relay: what this side asked for, the connection to the relay,
    // the room's code, and how far the two players' hellos have come.
    C_RelayMessage::Kind relayRequest = C_RelayMessage::CREATE;
    platform::SessionPeer relayPeer;
    bool relayConnected = false;
    std::string relayName;
    std::string roomCode;
    std::string refusal;
    bool paired = false;
    bool peerGreeted = false;
    std::deque<Watched> watched;
};
