#include "platform/namelookup.h"

#include <system_error>
#include <utility>

namespace platform {

NameLookup::NameLookup(Resolver nameResolver) : resolver(std::move(nameResolver)) {}

NameLookup::~NameLookup() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable()) {
        worker.join();
    }
}

bool NameLookup::Start(std::string hostName, uint16_t toPort) {
    std::lock_guard<std::mutex> guard(lock);
    // Started on first use: a game that never joins by name runs no thread.
    if (!worker.joinable()) {
        try {
            worker = std::thread(&NameLookup::Work, this);
        } catch (const std::system_error&) {
            state = State::Idle;
            return false;
        }
    }
    name = std::move(hostName);
    port = toPort;
    ++asked;
    state = State::LookingUp;
    wake.notify_all();
    return true;
}

void NameLookup::Cancel() {
    std::lock_guard<std::mutex> guard(lock);
    // The worker's answer to the request it holds no longer matches.
    if (state == State::LookingUp) {
        ++asked;
        taken = asked;
    }
    state = State::Idle;
}

NameLookup::State NameLookup::Take(SessionAddress& out) {
    std::lock_guard<std::mutex> guard(lock);
    const State answer = state;
    if (answer == State::Found) {
        out = found;
    }
    if (answer != State::LookingUp) {
        state = State::Idle;
    }
    return answer;
}

bool NameLookup::IsLookingUp() const {
    std::lock_guard<std::mutex> guard(lock);
    return state == State::LookingUp;
}

void NameLookup::Work() {
    std::unique_lock<std::mutex> guard(lock);
    while (true) {
        wake.wait(guard, [this] { return stopping || taken != asked; });
        if (stopping) {
            return;
        }
        const uint64_t request = asked;
        taken = request;
        const std::string toResolve = name;
        const uint16_t toPort = port;
        guard.unlock();
        SessionAddress address;
        const bool resolved = resolver(toResolve, toPort, address);
        guard.lock();
        if (request == asked && state == State::LookingUp) {
            found = address;
            state = resolved ? State::Found : State::Failed;
        }
    }
}

}  // namespace platform
