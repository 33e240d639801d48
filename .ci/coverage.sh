#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Line and branch coverage of src/ by the whole test suite: builds build-coverage with gcov
# instrumentation, runs every test, and prints the gcovr summary (HTML in build-coverage/html).
# Needs gcovr (apt-get install gcovr).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-coverage -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="--coverage -fno-inline" -DCMAKE_EXE_LINKER_FLAGS="--coverage"
cmake --build build-coverage
find build-coverage -name '*.gcda' -delete
ctest --test-dir build-coverage -j2 --output-on-failure || true
mkdir -p build-coverage/html
gcovr -r . --filter 'src/' --exclude-throw-branches --exclude-unreachable-branches \
  --html-details build-coverage/html/index.html --print-summary build-coverage
