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
        for (int action = 0; action < kGameActionCount; ++action) {
            keys[static_cast<size_t>(action)] = settings.GetKey(static_cast<GameAction>(action));
        }
    } else {
        moves = SecondSeatMoves();
        // A controller plays any seat with the buttons the settings bind.
        for (const LatchedBinding& move : LatchedBindings(settings)) {
            if (move.binding.pad) {
                moves.push_back(move);
            }
        }
        const ScreenBindings buttons = ScreenBindingsOf(settings);
        actions = {
            {DIK_1, buttons.start.pad}, {DIK_2, buttons.pause.pad}, {DIK_3, buttons.menu.pad}};
        keys = {DIK_A, DIK_D, DIK_Q, DIK_W, DIK_S, DIK_1, DIK_2, DIK_3};
    }
}

void C_SeatKeys::Steer(const C_Controller& input, float gameTime, int shape,
                       const std::function<void(RoundCommand)>& give) {
    (void)gameTime;
    (void)shape;
    SteerWithBindings(input, &moves, give, padOf);
}
