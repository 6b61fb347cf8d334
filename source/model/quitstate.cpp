#include "model/quitstate.h"

#include "platform/events.h"

C_QuitState::C_QuitState() {
    platform::PostQuit();
}
