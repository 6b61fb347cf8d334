#pragma once

#include <cstddef>
#include <string>

#include "replay/replay.h"

// A replay as a text file, one field a line, like the game's other files:
//
//   tubrix-replay 1          the format's version: 2 for two and network
//   rules 1                  the rules' version it was played under
//   mode computer            game, computer, two or network
//   strength HARD            the computer's, in a match against it
//   role host                the recording side's, over the network
//   level 3
//   seed 1234567
//   date 2026-12-08 16:10:13
//   winner player            player, opponent or draw, in a match
//   frames 4500
//   time 4500*16             the game time of each frame, run-length coded
//   name.0 ANNA              then for each side: its name, its final score,
//   score.0 1520             the hash of its final well and its commands of
//   hash.0 baa16544a2e36bfc  each frame, run-length coded
//   commands.0 12.1R5.1D
//   news.1 130a2 55l12345 3d over the network: the other side's news and
//   seen.1 18/250//2/140aaaa its snapshots as taken (no commands.1)
//   end
//
// Reading is strict and bounded: every line is checked, no count is trusted
// before the bytes behind it are, and nothing larger than the bytes read is
// ever built. A file that is not a whole replay gives one line to show.

// The whole file.
std::string WriteReplay(const Replay& replay);

// The replay `bytes` hold; false, with one line in `why`, when they hold none
// this game can play: not a replay, damaged, from a newer format, or
// recorded under other rules.
bool ReadReplay(const std::string& bytes, Replay& replay, std::string& why);

// The replay in the file at `path`, as ReadReplay; also false when the file
// cannot be read or is larger than any replay.
bool ReadReplayFile(const std::string& path, Replay& replay, std::string& why);

constexpr const char* kReplayKind = "tubrix-replay";
// Version 2 added two players at one machine and network matches; the
// others are still written as version 1.
constexpr int kReplayFormat = 2;
// Far beyond eight hours of a match at a few kilobytes a minute.
constexpr std::size_t kMaxReplayBytes = 4u * 1024u * 1024u;
