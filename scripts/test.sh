#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test, first in the
# normal optimised build, then in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

# The Python module is built with Debian's interpreter, whose packages
# (pybind11, pytest, numpy, pandas, Biopython) its tests use, whatever python3
# comes first on PATH.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZELKOVA_WERROR=ON -DPython3_EXECUTABLE=/usr/bin/python3
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Without the Python module: an extension built with AddressSanitizer cannot
# be loaded by an interpreter built without it. Built with clang at -O1 and
# line tables only: on this 2-core machine 4 to 4.7 minutes against 11.7 for
# g++ at -O2 -g; its tests take about as long (211 s against 199 s).
CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DZELKOVA_WERROR=ON -DZELKOVA_SANITIZE=ON \
      -DZELKOVA_BENCH=OFF -DZELKOVA_PYTHON=OFF
cmake --build build-sanitize -j "$jobs"
# The tests labelled "long" (whole pipeline runs on statistical data sets, the
# workflow, the package) run in the normal build only: under the sanitizers
# they would take most of CI's time; every other end-to-end and unit test
# runs there.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE long

# Every fuzz target of the input readers (zelkova's and the companions') for
# about ten seconds each, under the address and undefined-behaviour
# sanitizers of clang's libFuzzer: about four minutes with the build, well
# within CI's limit. From a fixed seed, a fixed number of inputs each (60 s
# at the most), so that every machine tries nearly the same inputs and a
# finding is likely reproduced by a second run; tests/fuzz/run.sh TARGET SECONDS without a seed explores
# further.
ZELKOVA_FUZZ_JOBS=$jobs ZELKOVA_FUZZ_SEED="${ZELKOVA_FUZZ_SEED:-1}" tests/fuzz/run.sh all 60
