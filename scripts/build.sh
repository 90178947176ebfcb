#!/usr/bin/env bash
# Configures and builds one tree.  Usage: build.sh <build-dir> [cmake options...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"
shift
cmake -S "$here" -B "$dir" -G Ninja "$@" > "$dir.configure.log" 2>&1 || {
  cat "$dir.configure.log"
  exit 1
}
cmake --build "$dir" -j "$(nproc)" ${BUILD_TARGET:+--target $BUILD_TARGET}
