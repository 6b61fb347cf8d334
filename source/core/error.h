#pragma once

#include <cstddef>
#include <string>

#include "core/hresult.h"

// The one error report: shows where it came from, the caller's message and the
// code's name, and asks whether to quit. Yes posts the quit request; either
// way the caller carries on. Defined by the shell, which owns the prompt.
void DXError(std::string file, int line, HRESULT hr, std::string message);

// The text DXError shows for these arguments.
std::string ComposeErrorText(const std::string& file, int line, HRESULT hr,
                             const std::string& message);

// The symbolic name of a result code, "Unknown" for codes we never return.
const char* ErrorCodeName(HRESULT hr);

std::string IntToString(int value);

// Reads as C's atoi does, but saturates at the limits of int instead of
// overflowing.
int StringToInt(const std::string& text);

// Widens `in` byte by byte into `out`, which holds `capacity` characters,
// always NUL-terminated; text that does not fit is cut. Does nothing when
// `out` is null, `capacity` is 0 or `in` is empty.
void StringToWide(wchar_t* out, std::size_t capacity, const std::string& in);
