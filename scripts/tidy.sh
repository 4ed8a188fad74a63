#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the sources of a configured build
# (default: build/debug-asan). Not part of every build: run it before a larger change lands.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/debug-asan}
[ -f "$build/compile_commands.json" ] || { echo "configure $build first (cmake --preset ...)"; exit 1; }
git ls-files -- '*.cpp' | grep -v '^tests/' | xargs -r -P 2 -n 8 clang-tidy -p "$build" --quiet
