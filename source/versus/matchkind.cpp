#include "versus/matchkind.h"

#include <ctime>

#include "net/net.h"
#include "versus/matchagainstcomputer.h"
#include "versus/matchovernetwork.h"
#include "versus/matchtwoplayers.h"
#include "versus/matchwatched.h"

std::unique_ptr<C_MatchKind> C_MatchKind::Start(const MatchSetup& setup, C_Net* net) {
    C_MatchLink* link = net != nullptr ? net->Match() : nullptr;
    if (setup.with == MatchWith::Network && link != nullptr &&
        link->GetPhase() == C_MatchLink::Phase::Started) {
        return std::make_unique<C_MatchOverNetwork>(*net);
    }
    if (setup.with == MatchWith::Watched && net != nullptr &&
        net->GetLinkState() == C_Net::LinkState::Watching) {
        return std::make_unique<C_MatchWatched>(*net);
    }
    MatchSettings settings;
    settings.seed = static_cast<uint64_t>(std::time(nullptr));
    settings.level = setup.level;
    if (setup.with == MatchWith::SecondPlayer) {
        return std::make_unique<C_MatchTwoPlayers>(settings);
    }
    return std::make_unique<C_MatchAgainstComputer>(settings, setup.strength);
}
