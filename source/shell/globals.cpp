#include "core/globals.h"

#include "console/console.h"
#include "input/controller.h"
#include "model/model.h"
#include "net/net.h"
#include "view/view.h"

C_View* g_pView = nullptr;
C_Controller* g_pController = nullptr;
C_Model* g_pModel = nullptr;
C_Console* g_pConsole = nullptr;
C_Net* g_pNet = nullptr;
uint32_t g_bActive = 0;

namespace {

template <typename T>
void DeleteAndNull(T*& object) {
    delete object;
    object = nullptr;
}

// Constructed during static initialisation, before the entry point runs.
[[maybe_unused]] const bool g_frameworkCreated = (CreateFrameworkObjects(), true);

}  // namespace

void CreateFrameworkObjects() {
    g_pView = new C_View;
    g_pController = new C_Controller;
    g_pModel = new C_Model;
    g_pConsole = new C_Console;
    g_pNet = new C_Net;
}

void DestroyFrameworkObjects() {
    DeleteAndNull(g_pNet);
    DeleteAndNull(g_pModel);
    DeleteAndNull(g_pController);
    DeleteAndNull(g_pConsole);
    DeleteAndNull(g_pView);
}
