#pragma once

// The rules' own version: what a round does with a seed, a level and its
// inputs. A change that plays any recorded game otherwise bumps it, in the
// same commit as the corpus recorded anew; a replay of another version is
// not played.
constexpr int kRulesVersion = 1;
