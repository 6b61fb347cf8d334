#include "screens/versusscreen.h"

#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>

#include "core/error.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "net/net.h"
#include "net/relaymessage.h"
#include "screens/button.h"
#include "store/playername.h"
#include "store/settings.h"
#include "versus/opponent.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kPictureScale = 0.7f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr float kButtonScale = 0.6f;
constexpr int kLevels = 10;
constexpr int kLevelHeight = 30;
constexpr int kStatusHeight = 16;
constexpr int kStatusLine = 24;
// No host name is longer.
constexpr std::size_t kMaxName = 253;
constexpr char kBackspace = 8;
// A room's code, large enough to read out across a room.
constexpr int kCodeHeight = 38;
constexpr uint32_t kCodeColour = 0xFFFFE08A;
// Its top in the status window, which it fills.
constexpr int kCodeTop = 4;

struct Place {
    const char* image;
    float x;
    float y;
};

constexpr Place kStrengthPlaces[kStrengths] = {
    {"easy_button-3-1-3.png", 92, 240},
    {"medium_button-3-1-3.png", 285, 240},
    {"hard_button-3-1-3.png", 478, 240},
};
constexpr int kStrengthKeys[kStrengths] = {DIK_1, DIK_2, DIK_3};
constexpr Place kTwoPlayersPlace = {"two_players_button-3-1-3.png", 490, 388};
constexpr int kTwoPlayersKey = DIK_T;
constexpr Place kLessPlace = {"less_button-3-1-3.png", 250, 388};
constexpr Place kMorePlace = {"more_button-3-1-3.png", 414, 388};
constexpr Place kRoomPlaces[C_VersusScreen::kRoomButtons] = {
    {"create_room_button-3-1-3.png", 186, 500},
    {"join_room_button-3-1-3.png", 336, 500},
    {"watch_room_button-3-1-3.png", 486, 500},
};
constexpr int kRoomKeys[C_VersusScreen::kRoomButtons] = {DIK_C, DIK_K, DIK_W};

std::unique_ptr<C_Button> MakeButton(const Place& place, const C_Controller& input) {
    auto button = std::make_unique<C_Button>(place.image, input);
    button->SetScale(kButtonScale, kButtonScale);
    button->SetPosition(place.x, place.y);
    return button;
}

}  // namespace

C_VersusScreen::C_VersusScreen(const ScreenContext& given, const MatchSetup& last)
    : context(given), chosen(last) {
    chosen.with = MatchWith::Computer;
    background = std::make_unique<C_Sprite>("versus.png");
    for (int n = 0; n < kStrengths; ++n) {
        strengthButtons[static_cast<size_t>(n)] = MakeButton(kStrengthPlaces[n], context.input);
    }
    twoPlayersButton = MakeButton(kTwoPlayersPlace, context.input);
    lessButton = MakeButton(kLessPlace, context.input);
    moreButton = MakeButton(kMorePlace, context.input);
    for (int n = 0; n < kRoomButtons; ++n) {
        roomButtons[static_cast<size_t>(n)] = MakeButton(kRoomPlaces[n], context.input);
    }
    levelFont = std::make_unique<C_Font>("Arial", kLevelHeight, kVersusLevelColour);
    statusFont = std::make_unique<C_Font>("Arial", kStatusHeight, kVersusNetColour);
    codeFont = std::make_unique<C_Font>("Arial Black", kCodeHeight, kCodeColour);
    // Who this player is to the other: the name last entered, as a score's.
    context.net->SetPlayerName(DefaultPlayerName(context.settings.GetLastName()));
}

C_VersusScreen::~C_VersusScreen() = default;

void C_VersusScreen::Play(int strength) {
    chosen.strength = static_cast<OpponentStrength>(strength);
    chosen.with = MatchWith::Computer;
    context.model.SetNextState(STATE_MATCH, chosen);
}

void C_VersusScreen::PlayTwo() {
    chosen.with = MatchWith::SecondPlayer;
    context.model.SetNextState(STATE_MATCH, chosen);
}

void C_VersusScreen::StepLevel(int step) {
    chosen.level = (chosen.level + step + kLevels) % kLevels;
}

bool C_VersusScreen::Type(const std::string& typed) {
    if (typing == Typing::None) {
        return false;
    }
    if (typing == Typing::HostName) {
        for (const char c : typed) {
            if (c == kBackspace && !hostName.empty()) {
                hostName.pop_back();
            } else if (c > ' ' && c < 0x7F && hostName.size() < kMaxName) {
                hostName += c;
            }
        }
    } else {
        TypeCode(typed);
    }
    if (context.input.IsKeyReleased(DIK_ESCAPE)) {
        typing = Typing::None;
    }
    if (context.input.IsKeyReleased(DIK_RETURN) || context.input.IsKeyReleased(DIK_NUMPADENTER)) {
        Typed();
    }
    return true;
}

void C_VersusScreen::TypeCode(const std::string& typed) {
    for (const char c : typed) {
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (c == kBackspace && !code.empty()) {
            code.pop_back();
        } else if (upper != '\0' && std::strchr(kRoomCodeAlphabet, upper) != nullptr &&
                   code.size() < static_cast<std::size_t>(kRoomCodeLength)) {
            // Spaces and dashes, as a code is read out or written down, drop out.
            code += upper;
        }
    }
}

void C_VersusScreen::Typed() {
    if (typing == Typing::HostName && !hostName.empty()) {
        typing = Typing::None;
        readyWhenOffered = false;
        context.net->Init();
        context.net->Join(hostName);
    } else if (typing != Typing::HostName &&
               code.size() == static_cast<std::size_t>(kRoomCodeLength)) {
        const bool watch = typing == Typing::WatchCode;
        typing = Typing::None;
        readyWhenOffered = false;
        context.net->Init();
        if (watch) {
            context.net->WatchRoom(context.settings.GetRelay(), code);
        } else {
            context.net->JoinRoom(context.settings.GetRelay(), code);
        }
    }
}

void C_VersusScreen::CreateRoom() {
    startWhenJoined = false;
    context.net->Init();
    context.net->CreateRoom(context.settings.GetRelay());
}

void C_VersusScreen::AskCode(bool watch) {
    typing = watch ? Typing::WatchCode : Typing::JoinCode;
    code.clear();
}

void C_VersusScreen::StartNetworkMatch() {
    const C_Net::LinkState state = context.net->GetLinkState();
    if (context.net->IsHost()) {
        // Before anyone joins, Enter offers the match the moment they do.
        startWhenJoined = state == C_Net::LinkState::Hosting || state == C_Net::LinkState::InRoom ||
                          state == C_Net::LinkState::Connected ||
                          (context.net->ThroughRelay() && (state == C_Net::LinkState::LookingUp ||
                                                           state == C_Net::LinkState::Connecting));
    } else {
        // Before the offer comes, Enter takes it the moment it does.
        readyWhenOffered = state == C_Net::LinkState::LookingUp ||
                           state == C_Net::LinkState::Connecting ||
                           state == C_Net::LinkState::Connected;
    }
}

void C_VersusScreen::MoveLobby() {
    C_MatchLink* link = context.net->Match();
    if (link == nullptr || context.net->GetLinkState() != C_Net::LinkState::Connected) {
        return;
    }
    if (startWhenJoined && link->GetRole() == MatchRole::Host) {
        const auto seed = static_cast<uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^ std::time(nullptr));
        if (link->Offer(seed, static_cast<uint8_t>(chosen.level))) {
            startWhenJoined = false;
        }
    }
    if (readyWhenOffered && link->Offered() && link->Ready()) {
        readyWhenOffered = false;
    }
}

void C_VersusScreen::HandleInput() {
    if (Type(context.input.GetTypedText())) {
        return;
    }
    if (context.input.IsKeyReleased(DIK_H)) {
        startWhenJoined = false;
        context.net->Init();
        context.net->Host();
    }
    if (context.input.IsKeyReleased(DIK_J)) {
        typing = Typing::HostName;
    }
    for (int n = 0; n < kRoomButtons; ++n) {
        if (!context.input.IsKeyReleased(kRoomKeys[n]) &&
            roomButtons[static_cast<size_t>(n)]->GetState() != BUTTON_CLICKED) {
            continue;
        }
        if (n == kCreateRoom) {
            CreateRoom();
        } else {
            AskCode(n == kWatchRoom);
        }
    }
    if (context.input.IsKeyReleased(DIK_RETURN)) {
        StartNetworkMatch();
    }
    if (context.input.IsKeyReleased(DIK_ESCAPE)) {
        // The level and strength chosen stay for the next visit.
        context.model.SetNextState(STATE_MENU, chosen);
    }
    if (context.input.IsKeyReleased(DIK_LEFT) || lessButton->GetState() == BUTTON_CLICKED) {
        StepLevel(-1);
    }
    if (context.input.IsKeyReleased(DIK_RIGHT) || moreButton->GetState() == BUTTON_CLICKED) {
        StepLevel(1);
    }
    for (int n = 0; n < kStrengths; ++n) {
        if (context.input.IsKeyReleased(kStrengthKeys[n]) ||
            strengthButtons[static_cast<size_t>(n)]->GetState() == BUTTON_CLICKED) {
            Play(n);
        }
    }
    if (context.input.IsKeyReleased(kTwoPlayersKey) ||
        twoPlayersButton->GetState() == BUTTON_CLICKED) {
        PlayTwo();
    }
}

void C_VersusScreen::Update() {
    // A watcher has no lobby: the room's wells show at once.
    if (context.net->GetLinkState() == C_Net::LinkState::Watching) {
        MatchSetup watched = chosen;
        watched.with = MatchWith::Watched;
        context.model.SetNextState(STATE_MATCH, watched);
        return;
    }
    MoveLobby();
    // The lobby's news, up to the start; the match screen takes the rest.
    C_MatchLink* link = context.net->Match();
    for (C_MatchLink::Event event; link != nullptr && link->Poll(event);) {
        if (event.kind == C_MatchLink::Event::BEGAN) {
            MatchSetup network = chosen;
            network.with = MatchWith::Network;
            context.model.SetNextState(STATE_MATCH, network);
            break;
        }
    }
    for (auto& button : strengthButtons) {
        button->Update();
    }
    twoPlayersButton->Update();
    lessButton->Update();
    moreButton->Update();
    for (auto& button : roomButtons) {
        button->Update();
    }
}

void C_VersusScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                     kOpaqueWhite);
    for (auto& button : strengthButtons) {
        button->Render();
    }
    twoPlayersButton->Render();
    lessButton->Render();
    moreButton->Render();
    for (auto& button : roomButtons) {
        button->Render();
    }
    const std::string level = IntToString(chosen.level);
    levelFont->DrawText(
        level, (kVersusLevelWindow.x0 + kVersusLevelWindow.x1 - levelFont->Width(level)) / 2,
        kVersusLevelWindow.y0 + 7, TEXT_FILTERED);
    DrawStatus();
    context.input.DrawMousePointer();
}

void C_VersusScreen::DrawStatus() {
    std::string first;
    std::string second;
    const std::string peer = context.net->PeerName();
    const bool relayed = context.net->ThroughRelay() && RelayStatus(first, second);
    switch (relayed ? C_Net::LinkState::Watching : context.net->GetLinkState()) {
        case C_Net::LinkState::Idle:
            first = "LAN:  H  host a match  /  J  join one by the host's name or address";
            second = "Internet:  C  create a room  /  K  join one by its code  /  W  watch one";
            break;
        case C_Net::LinkState::LookingUp:
            first = "Looking up " + peer + " ...";
            second = readyWhenOffered ? "Ready: the match starts when the host starts it." : "";
            break;
        case C_Net::LinkState::Connecting:
            first = "Connecting to " + peer + " ...";
            second = readyWhenOffered ? "Ready: the match starts when the host starts it." : "";
            break;
        case C_Net::LinkState::Hosting:
            first = context.net->GetHostedAt().empty()
                        ? "Hosting on UDP port " + IntToString(context.net->GetHostPort()) + "."
                        : "Hosting at " + context.net->GetHostedAt() + ", UDP port " +
                              IntToString(context.net->GetHostPort()) + ".";
            second = startWhenJoined ? "Level " + IntToString(chosen.level) +
                                           " starts when a player joins and is ready."
                                     : "Waiting for a player to join: Enter to be ready.";
            break;
        case C_Net::LinkState::Connected: {
            first = "Playing against " + (peer.empty() ? "the other player" : peer) + ".";
            const C_MatchLink* link = context.net->Match();
            const bool offered = link != nullptr && link->Offered();
            if (context.net->IsHost()) {
                second = offered
                             ? "Level " + IntToString(link->GetLevel()) +
                                   ": waiting for the other player's Enter ..."
                             : "Enter starts the match at level " + IntToString(chosen.level) + ".";
            } else if (offered) {
                second = readyWhenOffered
                             ? "Ready ..."
                             : "The host starts at level " + IntToString(link->GetLevel()) +
                                   ": Enter when ready.";
            } else {
                second = readyWhenOffered ? "Ready: the match starts when the host starts it."
                                          : "Waiting for the host to start ...";
            }
            break;
        }
        case C_Net::LinkState::PeerLost:
            first = "The other player has left.";
            second = "H  host a match  /  J  join one";
            break;
        case C_Net::LinkState::InRoom:
        case C_Net::LinkState::Watching:
            break;
    }
    const bool typingName = typing == Typing::HostName;
    if (typingName) {
        first = "Join: " + hostName + "_";
        second = "Enter connects  /  Esc stops";
    } else if (typing != Typing::None) {
        first = (typing == Typing::WatchCode ? "Watch the room: " : "Join the room: ") + code + "_";
        second = "Type its code  /  Enter goes  /  Esc stops";
    } else if (context.net->GetLinkState() == C_Net::LinkState::InRoom) {
        DrawRoomCode();
        return;
    }
    // A long name is cut to the window; the one being typed shows its end.
    constexpr int kLineWidth = kVersusNetWindow.x1 - kVersusNetWindow.x0 - 16;
    statusFont->DrawText(statusFont->Fitted(first, kLineWidth, typingName), kVersusNetWindow.x0 + 8,
                         kVersusNetWindow.y0 + 6, TEXT_FILTERED);
    statusFont->DrawText(statusFont->Fitted(second, kLineWidth), kVersusNetWindow.x0 + 8,
                         kVersusNetWindow.y0 + 6 + kStatusLine, TEXT_FILTERED);
}

bool C_VersusScreen::RelayStatus(std::string& first, std::string& second) const {
    const std::string ready =
        readyWhenOffered ? "Ready: the match starts when the room's maker starts it." : "";
    const std::string& room = context.net->GetRoomCode();
    switch (context.net->GetLinkState()) {
        case C_Net::LinkState::Idle:
            // A refusal says why; the keys to try again follow.
            first = context.net->GetRefusal();
            second = "C  create a room  /  K  join one  /  W  watch one";
            return !first.empty();
        case C_Net::LinkState::LookingUp:
        case C_Net::LinkState::Connecting:
            first = room.empty() ? "Reaching the relay " + context.settings.GetRelay() + " ..."
                                 : "In room " + room + ": waiting for the other player ...";
            second = context.net->IsHost() && startWhenJoined
                         ? "Level " + IntToString(chosen.level) + " starts when they are ready."
                         : ready;
            return true;
        case C_Net::LinkState::PeerLost:
            first = "The other player has left the room.";
            second = "C  create a room  /  K  join one  /  W  watch one";
            return true;
        case C_Net::LinkState::Hosting:
        case C_Net::LinkState::Connected:
        case C_Net::LinkState::InRoom:
        case C_Net::LinkState::Watching:
            break;
    }
    // As on a LAN, or the code drawn large.
    return false;
}

void C_VersusScreen::DrawRoomCode() {
    const std::string& room = context.net->GetRoomCode();
    const int left = kVersusNetWindow.x0 + 12;
    codeFont->DrawText(room, left, kVersusNetWindow.y0 + kCodeTop, TEXT_FILTERED);
    const int x = left + codeFont->Width(room) + 16;
    const int width = kVersusNetWindow.x1 - 8 - x;
    const std::string second =
        startWhenJoined ? "Level " + IntToString(chosen.level) + " starts when they join."
                        : "Enter: ready for when they join.";
    statusFont->DrawText(statusFont->Fitted("Read it out to the other player;", width), x,
                         kVersusNetWindow.y0 + 6, TEXT_FILTERED);
    statusFont->DrawText(statusFont->Fitted(second, width), x,
                         kVersusNetWindow.y0 + 6 + kStatusLine, TEXT_FILTERED);
}
