#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/session.h"

namespace platform {

// Resolves a host name on a thread of its own, so a slow name server never
// holds up a frame. One lookup counts at a time: starting another, or
// cancelling, makes the one still running answer to nobody.
class NameLookup {
public:
    // Blocks until `name` resolves or fails, like Session::Resolve.
    using Resolver =
        std::function<bool(const std::string& name, uint16_t port, SessionAddress& out)>;
    enum class State { Idle, LookingUp, Found, Failed };

    explicit NameLookup(Resolver resolver = &Session::Resolve);
    // Joins the worker, waiting out a lookup it is in the middle of.
    ~NameLookup();
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // Returns at once. False only when the worker cannot start.
    bool Start(std::string name, uint16_t port);
    void Cancel();
    // LookingUp until the answer comes; Found (with `out` set) or Failed once,
    // then Idle again.
    State Take(SessionAddress& out);
    bool IsLookingUp() const;

private:
    void Work();

    Resolver resolver;
    mutable std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    // Counts the lookups asked for; the worker answers only the newest.
    uint64_t asked = 0;
    uint64_t taken = 0;
    std::string name;
    uint16_t port = 0;
    State state = State::Idle;
    SessionAddress found;
    std::thread worker;
};

}  // namespace platform
