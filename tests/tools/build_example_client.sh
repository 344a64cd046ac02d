#!/usr/bin/env bash
# Builds examples/client in a clean build folder against the built tree (the public headers in
# include/ and lib/libombrixdc.so, nothing else of the sources) and runs it on the offline
# example. Its event lines must be those of `ombrixdc run` for the same run, and its slow and
# fast data sets those of the example's expected data sets file.
set -euo pipefail
source_dir="$1"
lib_dir="$2"
cmake="$3"
sanitize="${4:-}"  # a sanitizer build's flags: the client must carry the same runtime
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" -S "$source_dir/examples/client" -B "$work/build" \
  -DOMBRIXDC_INCLUDE_DIR="$source_dir/include" -DOMBRIXDC_LIBRARY="$lib_dir/libombrixdc.so" \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  > "$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure"; }
"$cmake" --build "$work/build" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build"; }
grep -q "client.cpp.*warning" "$work/build.log" && { cat "$work/build.log"; fail "warnings"; }

mkdir -p "$work/run/work/Default"
cp "$source_dir/tests/procedures/data/offline-learning/"* "$work/run/work/Default/"
cp "$source_dir/tests/tools/data/settings.ini" "$work/run/"
cd "$work/run"
OMBRIXDC_REGISTRY="$work/registry.reg" "$work/build/ombrixdc_client" "$lib_dir/libvexasim.so" \
  > out.txt || fail "client exited $?: $(cat out.txt)"

expected="$source_dir/tests/tools/data/expected-stdout.txt"
head -n "$(wc -l < "$expected")" out.txt | diff -u "$expected" - || fail "event lines differ"
[[ -f work/Default/results.dat && -f work/Default/_circle1.rsm ]] || fail "no files written"
# Points, centre, radius and form as the expected data sets file gives them (six decimals).
rounded() { awk -v name="$1" '$1 == "DataSet" && $2 == name {
  printf "%d %.6f %.6f %.6f %.6f %.6f\n", $4, $6, $7, $8, $10, $12 }' out.txt; }
[[ "$(rounded Slow)" == "100 0.012001 -0.021012 0.000000 7.999994 0.007957" ]] \
  || fail "Slow data set $(rounded Slow)"
[[ "$(rounded Fast)" == "100 0.012054 -0.020899 0.000000 8.000045 0.017923" ]] \
  || fail "Fast data set $(rounded Fast)"
[[ ! -s "$work/registry.reg" ]] || ! grep -q VexaSim "$work/registry.reg" \
  || fail "the simulated controller was left registered"
