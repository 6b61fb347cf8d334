#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/session.h"

// Polls `condition` until it holds or a deadline generous enough for a
// sanitized build on a busy machine passes. Never a fixed wait.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds deadline = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A platform session whose handler records every event it is given, and
// admits hosted peers as they connect when told to.
class SessionRecorder {
public:
    SessionRecorder() : session(platform::Session::Create()) {
        if (session) {
            session->Initialize([this](const platform::SessionEvent& event) {
                if (admits && event.kind == platform::SessionEvent::Kind::Connected) {
                    session->Admit(event.peer);
                }
                std::lock_guard<std::mutex> guard(lock);
                events.push_back(event);
            });
        }
    }

    // The handler touches this object: its thread must end before the rest.
    ~SessionRecorder() {
        if (session) {
            session->Stop();
        }
    }
    SessionRecorder(const SessionRecorder&) = delete;
    SessionRecorder& operator=(const SessionRecorder&) = delete;

    std::size_t Count(platform::SessionEvent::Kind kind) const {
        std::lock_guard<std::mutex> guard(lock);
        std::size_t count = 0;
        for (const platform::SessionEvent& event : events) {
            count += event.kind == kind ? 1 : 0;
        }
        return count;
    }

    bool WaitForCount(platform::SessionEvent::Kind kind, std::size_t count) const {
        return WaitFor([&] { return Count(kind) >= count; });
    }

    std::vector<platform::SessionEvent> Events() const {
        std::lock_guard<std::mutex> guard(lock);
        return events;
    }

    // Connects to a host on this machine at `port`.
    bool ConnectLocal(uint16_t port) {
        platform::SessionAddress address;
        return platform::Session::Resolve("127.0.0.1", port, address) && session->Connect(address);
    }

    std::unique_ptr<platform::Session> session;
    std::atomic<bool> admits{false};

private:
    mutable std::mutex lock;
    std::vector<platform::SessionEvent> events;
};
