#include "input/controller.h"

#include "model/model.h"
#include "shell/globals.h"

HRESULT C_Controller::Init() {
    initialised = 1;
    return S_OK;
}

HRESULT C_Controller::Update() {
    // No screen after a rejected switch: nothing to hand input to.
    if (C_GameState* state = g_pModel->GetState(); state != nullptr) {
        state->HandleInput();
    }
    return S_OK;
}
