#include "screens/replaywatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/keycodes.h"
#include "input/controller.h"
#include "replay/replayplayer.h"
#include "view/font.h"

namespace {

constexpr float kSpeeds[] = {0.5f, 1.0f, 2.0f, 4.0f, 16.0f};
constexpr int kSpeedKeys[] = {DIK_1, DIK_2, DIK_3, DIK_4, DIK_5};
constexpr int kLeftButton = 0;
constexpr uint32_t kBarColour = 0xF0FFFFFF;
constexpr uint32_t kRestColour = 0x80FFFFFF;
constexpr uint32_t kPlayedColour = 0xF0FFD040;
constexpr int kTitleTop = 60;

std::string Clock(float seconds) {
    const int whole = std::max(0, static_cast<int>(seconds));
    char text[16] = {};
    std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

}  // namespace

C_ReplayWatch::C_ReplayWatch(Replay given, C_Round* round) : replay(std::move(given)) {
    player = std::make_unique<C_ReplayPlayer>(replay, round);
    player->Index();
}

C_ReplayWatch::C_ReplayWatch(Replay given) : replay(std::move(given)) {
    player = std::make_unique<C_ReplayPlayer>(replay);
    player->Index();
}

C_ReplayWatch::~C_ReplayWatch() = default;

float C_ReplayWatch::Speed() const {
    return kSpeeds[speedChoice];
}

uint32_t C_ReplayWatch::Frame() const {
    return player->Frame();
}

uint32_t C_ReplayWatch::FrameAfter(float seconds) const {
    const float total = replay.Seconds();
    const double perSecond = total > 0.0f ? replay.frames / static_cast<double>(total) : 0.0;
    const double target = player->Frame() + seconds * perSecond;
    return static_cast<uint32_t>(
        std::clamp(std::lround(target), 0L, static_cast<long>(replay.frames)));
}

void C_ReplayWatch::Seek(uint32_t frame) {
    player->Seek(frame);
    owed = 0.0f;
}

void C_ReplayWatch::SetSpeed(int choice) {
    speedChoice = std::clamp(choice, 0, static_cast<int>(std::size(kSpeeds)) - 1);
}

void C_ReplayWatch::StepOne() {
    player->Step();
}

void C_ReplayWatch::HandleInput(const C_Controller& input) {
    if (input.IsKeyReleased(DIK_SPACE) || input.IsKeyReleased(DIK_P)) {
        paused = !paused;
    }
    if (paused && input.IsKeyReleased(DIK_PERIOD)) {
        StepOne();
    }
    for (int choice = 0; choice < static_cast<int>(std::size(kSpeedKeys)); ++choice) {
        if (input.IsKeyReleased(kSpeedKeys[choice])) {
            SetSpeed(choice);
        }
    }
    if (input.IsKeyReleased(DIK_LEFT)) {
        Seek(FrameAfter(-kSeekSeconds));
    }
    if (input.IsKeyReleased(DIK_RIGHT)) {
        Seek(FrameAfter(kSeekSeconds));
    }
    const int x = input.GetMouseX();
    const int y = input.GetMouseY();
    if (input.GetMouseButtonState(kLeftButton) == KEY_RELEASED && x >= kBarLeft && x <= kBarRight &&
        y >= kBarTop && y <= kBarBottom) {
        const double fraction = static_cast<double>(x - kBarLeft) / (kBarRight - kBarLeft);
        Seek(static_cast<uint32_t>(std::lround(fraction * replay.frames)));
    }
}

void C_ReplayWatch::Advance() {
    if (paused) {
        return;
    }
    owed += Speed();
    for (; owed >= 1.0f; owed -= 1.0f) {
        player->Step();
    }
}

void C_ReplayWatch::Render(C_Font& font) const {
    const ReplaySide& side = replay.sides.front();
    // The speed and the pause first: a long name may run past the well,
    // what the keys just changed never does.
    std::string title = "REPLAY  x";
    title += Speed() < 1.0f ? "0.5" : std::to_string(static_cast<int>(Speed()));
    if (paused) {
        title += "  PAUSED";
    }
    title += "  " + side.name + "  " + replay.date.substr(0, 10);
    font.SetColour(kBarColour);
    font.DrawText(title, kBarLeft, kTitleTop, TEXT_FILTERED);
    // The bar: the part played, then the rest, as rows of strokes.
    const int stroke = std::max(1, font.Width("|"));
    const int strokes = (kBarRight - kBarLeft) / stroke;
    const int played =
        replay.frames == 0
            ? strokes
            : static_cast<int>(static_cast<double>(player->Frame()) * strokes / replay.frames);
    font.SetColour(kPlayedColour);
    font.DrawText(std::string(static_cast<size_t>(played), '|'), kBarLeft, kBarTop, TEXT_FILTERED);
    font.SetColour(kRestColour);
    font.DrawText(std::string(static_cast<size_t>(strokes - played), '|'),
                  kBarLeft + played * stroke, kBarTop, TEXT_FILTERED);
    font.SetColour(kBarColour);
    font.DrawText(Clock(player->GameTime()) + " / " + Clock(replay.Seconds()), kBarLeft,
                  kBarBottom + 2, TEXT_FILTERED);
}
