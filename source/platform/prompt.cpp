#include "platform/prompt.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <iostream>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "platform/sdlaccess.h"

// Last: it brings Xlib's macros along.
#include <SDL_syswm.h>

namespace platform {
namespace {

PromptHook g_promptHook;

// SIGTERM and SIGINT seen, and whether the window was asked to close while a
// box was open. Either ends the run: SDL turns both into its quit event, but
// only when the events are pumped, which cannot happen while a box holds the
// thread.
std::atomic<int> g_quitSignals{0};
std::atomic<bool> g_closeRequested{false};
struct sigaction g_previousTerm {};
struct sigaction g_previousInt {};

bool RunEnding() {
    return g_quitSignals.load() > 0 || g_closeRequested.load();
}

void CountQuitSignal(int signal) {
    ++g_quitSignals;
    const struct sigaction& previous = signal == SIGTERM ? g_previousTerm : g_previousInt;
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
        previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    }
}

// Counts the signal ahead of the handler SDL installed, which it keeps
// calling. SDL reinstalls its own at each signal; one count is all it takes.
void WatchQuitSignal(int signal, struct sigaction* previous) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler == CountQuitSignal ||
        current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN) {
        return;  // no handler of SDL's: the signal ends the process by itself
    }
    *previous = current;
    struct sigaction counting = current;
    counting.sa_handler = CountQuitSignal;
    sigaction(signal, &counting, nullptr);
}

// The process that shows the open box, or 0: SDL forks it from the thread
// that asks and waits for it to end. The fork handler below tells it from any
// other child (it is forked by the asking thread while that thread asks) and
// writes its pid here, in memory it shares with this process.
std::atomic<pid_t>* g_boxHelper = nullptr;
thread_local bool t_asking = false;
// Held while the helper is ended and while its pid is forgotten, so no pid
// is signalled once the box has returned.
std::mutex g_boxHelperLock;
static_assert(std::atomic<pid_t>::is_always_lock_free, "shared between processes");

void NoteBoxHelper() {
    if (t_asking) {
        g_boxHelper->store(getpid());
    }
}

// False where the shared page or the fork handler cannot be had: a box then
// stays open until it is answered.
bool BoxHelperNoted() {
    static const bool ready = [] {
        void* page = mmap(nullptr, sizeof(std::atomic<pid_t>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED) {
            return false;
        }
        std::lock_guard<std::mutex> lock(g_boxHelperLock);  // the watcher may be reading
        g_boxHelper = new (page) std::atomic<pid_t>(0);
        return pthread_atfork(nullptr, nullptr, NoteBoxHelper) == 0;
    }();
    return ready;
}

void ForgetBoxHelper() {
    std::lock_guard<std::mutex> lock(g_boxHelperLock);
    if (g_boxHelper != nullptr) {
        g_boxHelper->store(0);
    }
}

// Ends the process showing the box, and no other child: SDL then returns
// from the box as if it had failed.
void EndBoxHelper() {
    std::lock_guard<std::mutex> lock(g_boxHelperLock);
    const pid_t helper = g_boxHelper != nullptr ? g_boxHelper->load() : 0;
    if (helper > 0) {
        kill(helper, SIGKILL);
    }
}

#if defined(SDL_VIDEO_DRIVER_X11)
// The window manager's request to close the game's window, found in the X
// queue without taking it: SDL reads it once the box is gone.
struct CloseRequest {
    ::Display* display = nullptr;
    ::Window window = 0;
    Atom protocols = 0;
    Atom deleteWindow = 0;
};

Bool IsCloseRequest(::Display*, XEvent* event, XPointer wanted) {
    const auto* request = reinterpret_cast<const CloseRequest*>(wanted);
    return event->type == ClientMessage && event->xclient.window == request->window &&
           event->xclient.message_type == request->protocols && event->xclient.format == 32 &&
           static_cast<Atom>(event->xclient.data.l[0]) == request->deleteWindow;
}

CloseRequest FindCloseRequests() {
    CloseRequest request;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (ActiveWindow() == nullptr || SDL_GetWindowWMInfo(ActiveWindow(), &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11) {
        return request;
    }
    request.display = info.info.x11.display;
    request.window = info.info.x11.window;
    request.protocols = XInternAtom(request.display, "WM_PROTOCOLS", False);
    request.deleteWindow = XInternAtom(request.display, "WM_DELETE_WINDOW", False);
    return request;
}

// Xlib is safe to call from here: SDL initialises its threads support.
bool CloseRequested(CloseRequest& request) {
    XEvent event;
    if (request.display == nullptr ||
        XCheckIfEvent(request.display, &event, IsCloseRequest,
                      reinterpret_cast<XPointer>(&request)) == False) {
        return false;
    }
    XPutBackEvent(request.display, &event);
    return true;
}
#else
struct CloseRequest {};
CloseRequest FindCloseRequests() {
    return {};
}
bool CloseRequested(CloseRequest&) {
    return false;
}
#endif

// While a box is open, watches for the end of the run and then closes the
// box, so the event loop can leave through the normal shutdown.
class BoxWatch {
public:
    BoxWatch() : closeRequest(FindCloseRequests()) {
        WatchQuitSignal(SIGTERM, &g_previousTerm);
        WatchQuitSignal(SIGINT, &g_previousInt);
        watcher = std::thread([this] { Run(); });
    }
    ~BoxWatch() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_one();
        watcher.join();
    }
    BoxWatch(const BoxWatch&) = delete;
    BoxWatch& operator=(const BoxWatch&) = delete;

private:
    void Run() {
        constexpr auto kPollInterval = std::chrono::milliseconds(20);
        std::unique_lock<std::mutex> lock(mutex);
        while (!wake.wait_for(lock, kPollInterval, [this] { return stopping; })) {
            if (!RunEnding() && CloseRequested(closeRequest)) {
                g_closeRequested = true;
            }
            if (RunEnding()) {
                // Again on every turn: SDL may try a second box after the first.
                EndBoxHelper();
            }
        }
    }

    CloseRequest closeRequest;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread watcher;
};

bool HasRealDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
           std::strcmp(driver, "dummy") != 0;
}

bool AskWithMessageBox(const std::string& title, const std::string& text, bool* answer) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_ERROR;
    box.window = ActiveWindow();
    box.title = title.c_str();
    box.message = text.c_str();
    box.numbuttons = 2;
    box.buttons = buttons;
    int pressed = 0;
    ForgetBoxHelper();
    t_asking = BoxHelperNoted();
    const int failed = SDL_ShowMessageBox(&box, &pressed);
    t_asking = false;
    // SDL has waited for the helper: its pid may name another process now.
    ForgetBoxHelper();
    if (failed != 0) {
        return false;
    }
    *answer = pressed == 1;
    return true;
}

bool AskOnTerminal(const std::string& title, const std::string& text) {
    std::cerr << title << "\n" << text << " [y/N] " << std::flush;
    if (isatty(STDIN_FILENO) == 0) {
        std::cerr << "\n";
        return false;
    }
    std::string reply;
    if (!std::getline(std::cin, reply)) {
        return false;
    }
    return !reply.empty() && (reply[0] == 'y' || reply[0] == 'Y');
}

}  // namespace

bool AskYesNo(const std::string& title, const std::string& text) {
    if (g_promptHook) {
        return g_promptHook(title, text);
    }
    if (HasRealDisplay()) {
        // Once the run is ending every question is answered No unasked: the
        // loop is about to leave through the normal shutdown.
        bool answer = false;
        bool shown = false;
        if (!RunEnding()) {
            BoxWatch watch;
            shown = AskWithMessageBox(title, text, &answer);
        }
        if (RunEnding()) {
            return false;
        }
        if (shown) {
            return answer;
        }
    }
    return AskOnTerminal(title, text);
}

void SetPromptHook(PromptHook hook) {
    g_promptHook = std::move(hook);
}

void ShowSystemCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

}  // namespace platform
