#include "support/netplayer.h"

std::unique_ptr<LossyRelay> HostAndJoin(std::unique_ptr<C_Net>* host,
                                        std::unique_ptr<C_Net>* joiner,
                                        const LossyRelay::Settings& settings) {
    *host = std::make_unique<C_Net>(0);
    (*host)->Init();
    (*host)->Host();
    auto relay = std::make_unique<LossyRelay>((*host)->GetHostPort(), settings);
    *joiner = std::make_unique<C_Net>(relay->Port());
    (*joiner)->Init();
    (*joiner)->Join("127.0.0.1");
    return relay;
}

void NetPlayer::Frame() {
    net->Update();
    C_MatchLink* link = net->Match();
    const float time =
        speed * std::chrono::duration<float>(std::chrono::steady_clock::now() - began).count();
    if (!match) {
        // The lobby's events up to the start; the match takes the rest.
        for (C_MatchLink::Event e; link != nullptr && !match && link->Poll(e);) {
            if (e.kind == C_MatchLink::Event::BEGAN) {
                match = std::make_unique<C_NetMatch>(*link, true);
                // As many a wall second as a match in real time sends.
                match->snapshotPeriod = C_NetMatch::kSnapshotPeriod * speed;
                opponent = std::make_unique<C_Opponent>(strength);
            }
        }
        return;
    }
    if (!match->Over()) {
        opponent->Play(&match->Round(), time, match->Incoming());
    }
    match->Update(time, link);
    match->DrawStep();
}
