#pragma once

#include <string>

// The names keys and controller buttons have in the settings file and on the
// settings screen: lower case, one word, stable across versions.

// "" for a code with no name.
std::string KeyName(int key);
// -1 for a name of no key.
int KeyFromName(const std::string& name);

std::string PadButtonName(int button);
int PadButtonFromName(const std::string& name);
