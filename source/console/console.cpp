#include "console/console.h"

namespace {

constexpr int kSlideStep = 15;

}  // namespace

HRESULT C_Console::Init() {
    fpsFlag = 0;
    testFlag = 0;
    mouseFlag = 0;
    pauseFlag = 0;
    lineCapacity = 40;
    height = lineHeight * lineCapacity;
    offset = 0;
    AddLine("-- Vorta Console --");
    AddLine("-- Press <TAB> to toggle the Console window.");
    initialised = 1;
    return S_OK;
}

void C_Console::AddLine(std::string text) {
    std::lock_guard<std::mutex> guard(linesLock);
    lines.push_front(std::move(text));
}

std::list<std::string> C_Console::GetLines() const {
    std::lock_guard<std::mutex> guard(linesLock);
    return lines;
}

HRESULT C_Console::OnChar(char c) {
    if (c == '\t') {
        open = open != 0 ? 0 : 1;
        return S_OK;
    }
    if (open == 0) {
        return S_OK;
    }
    switch (c) {
        case '\r':
            input.clear();
            break;
        case '\b':
            if (!input.empty()) {
                input.pop_back();
            }
            break;
        case 27:
            input.clear();
            break;
        default:
            input += c;
            break;
    }
    return S_OK;
}

HRESULT C_Console::Update() {
    {
        std::lock_guard<std::mutex> guard(linesLock);
        while (static_cast<int>(lines.size()) > height / lineHeight) {
            lines.pop_back();
        }
    }
    if (open != 0 && offset < height) {
        offset += kSlideStep;
        if (offset > height) {
            offset = height;
        }
    } else if (open == 0 && offset > 0) {
        offset -= kSlideStep;
        if (offset < 0) {
            offset = 0;
        }
    }
    return S_OK;
}

HRESULT C_Console::Render() {
    return S_OK;
}
