#include "core/error.h"

#include <cctype>
#include <climits>

namespace {

struct CodeName {
    HRESULT code;
    const char* name;
};

constexpr CodeName kCodeNames[] = {
    {S_OK, "S_OK"},
    {S_FALSE, "S_FALSE"},
    {E_FAIL, "E_FAIL"},
    {E_POINTER, "E_POINTER"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_ABORT, "E_ABORT"},
    {E_UNEXPECTED, "E_UNEXPECTED"},
    {E_ACCESSDENIED, "E_ACCESSDENIED"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
};

}  // namespace

const char* ErrorCodeName(HRESULT hr) {
    for (const CodeName& entry : kCodeNames) {
        if (entry.code == hr) {
            return entry.name;
        }
    }
    return "Unknown";
}

std::string ComposeErrorText(const std::string& file, int line, HRESULT hr,
                             const std::string& message) {
    std::string text = file;
    text += "\nLine: " + IntToString(line);
    text += "\n";
    text += "\"" + message + "\"\n";
    text += "\nDX ERROR \"";
    text += ErrorCodeName(hr);
    text += "\"\n";
    text += "\nQuit Program?";
    return text;
}

std::string IntToString(int value) {
    return std::to_string(value);
}

int StringToInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate toward the sign so INT_MIN is reachable without overflow.
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
        const int digit = text[i] - '0';
        value = value * 10 + (negative ? -digit : digit);
        if (value > INT_MAX) {
            return INT_MAX;
        }
        if (value < INT_MIN) {
            return INT_MIN;
        }
    }
    return static_cast<int>(value);
}

void StringToWide(wchar_t* out, std::size_t capacity, const std::string& in) {
    if (out == nullptr || capacity == 0 || in.empty()) {
        return;
    }
    const std::size_t count = in.size() < capacity - 1 ? in.size() : capacity - 1;
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<wchar_t>(static_cast<unsigned char>(in[i]));
    }
    out[count] = L'\0';
}
