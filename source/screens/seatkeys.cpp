#include "screens/seatkeys.h"

#include "core/keycodes.h"
#include "store/settings.h"

namespace {

// The second seat's keys, far from the first's on a common keyboard.
std::vector<LatchedBinding> SecondSeatMoves() {
    const MoveBinding moves[] = {
        {false, DIK_Q, COMMAND_TURN_COUNTER_CLOCKWISE},
        {false, DIK_W, COMMAND_TURN_CLOCKWISE},
        {false, DIK_A, COMMAND_LEFT},
        {false, DIK_D, COMMAND_RIGHT},
        {false, DIK_S, COMMAND_DROP_STEP},
    };
    std::vector<LatchedBinding> keys;
    for (const MoveBinding& move : moves) {
        keys.push_back({move, 0});
    }
    return keys;
}

}  // namespace

C_SeatKeys::C_SeatKeys(const C_Settings& settings, int seatIn) : seat(seatIn) {
    if (seat == 0) {
        moves = LatchedBindings(settings);
        actions = ScreenBindingsOf(settings);
    } else {
        moves = SecondSeatMoves();
        actions = {{DIK_1, 0}, {DIK_2, 0}, {DIK_3, 0}};
    }
}

void C_SeatKeys::Steer(const C_Controller& input, float gameTime, int shape,
                       const std::function<void(RoundCommand)>& give) {
    (void)gameTime;
    (void)shape;
    SteerWithBindings(input, &moves, give);
}
