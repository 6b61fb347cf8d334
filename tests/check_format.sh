#!/usr/bin/env bash
# Every C++ file of the project is as the project's .clang-format writes it.
# Skips (77) where clang-format is missing.
set -u
command -v clang-format >/dev/null || exit 77
cd "$(dirname "$0")/.." || exit 1
files=$(find source tests benchmarks fuzz \( -name '*.cpp' -o -name '*.h' \) | sort)
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
