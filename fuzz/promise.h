#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/prompt.h"

// A broken promise ends the run at once, so the fuzzer keeps the input that
// broke it and the replay fails.
#define FUZZ_PROMISE(condition)                                                                  \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: broken promise: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)

// Error reports are counted, never shown: no input may block on a prompt.
inline int& FuzzReports() {
    static int count = 0;
    return count;
}

inline void InstallFuzzPrompt() {
    platform::SetPromptHook([](const std::string&, const std::string&) {
        ++FuzzReports();
        return false;
    });
}
