#include "model/quitstate.h"

#include "core/globals.h"

C_QuitState::C_QuitState() {
    RequestQuit();
}
