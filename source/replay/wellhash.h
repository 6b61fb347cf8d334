#pragma once

#include <cstdint>

class C_Round;

// FNV-1a over what the rules leave in a round: every cell's piece as the
// rules see it, the mode, the level, the rows cleared and the falling shape.
// Two rounds that played alike hash alike; a replay keeps its sides' hashes
// to be checked by.
uint64_t WellHash(const C_Round& round);
