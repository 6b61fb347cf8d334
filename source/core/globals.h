#pragma once

#include <cstdint>

class C_View;
class C_Controller;
class C_Model;
class C_Console;
class C_Net;

// The five framework objects, one each for the whole run. Static
// initialisation creates them with constructors that touch nothing outside
// the object; C_Game initialises them and deletes them at shutdown.
extern C_View* g_pView;
extern C_Controller* g_pController;
extern C_Model* g_pModel;
extern C_Console* g_pConsole;
extern C_Net* g_pNet;

// Nonzero while the window is the foreground window: frames run only then.
extern uint32_t g_bActive;

// Asks the event loop to end after this frame. Defined by the shell.
void RequestQuit();

// Creates the five objects, in the order view, controller, model, console,
// net. Only for a fresh start after DestroyFrameworkObjects.
void CreateFrameworkObjects();
// Deletes them in shutdown order (net, model, controller, console, view) and
// nulls each pointer.
void DestroyFrameworkObjects();
