#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, checks the layout, then builds examples/client
# against that prefix twice, through the CMake package and through pkg-config, and runs each
# build on the offline example: it must load the prefix's libombrixdc.so.0 (the library's
# SONAME), and its event lines must be those of `ombrixdc run`.
set -euo pipefail
source_dir="$1"
build_dir="$2"
cmake="$3"
lib="$4"  # lib/<triplet>
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build_dir" --prefix "$prefix" > "$work/install.log" || fail "install"
# The installed files no later step uses: the client's build and run need the others, and
# the Debian package's test finds the programs and modules where they belong.
for file in share/ombrixdc/README.md share/ombrixdc/errors.md; do
  [[ -e "$prefix/$file" ]] || fail "$file not installed"
done
# The drawing libraries come with the view module alone, loaded when a picture is asked for.
drawing="$(ldd "$prefix/$lib/libombrixdc.so" "$prefix/bin/ombrixdc" |
  grep -E 'cairo|gtk|gdk|glib|X11|xcb|freetype|fontconfig' || true)"
[[ -z "$drawing" ]] || fail "the component or the program links drawing libraries: $drawing"

mkdir -p "$work/run/work/Default"
cp "$source_dir/tests/procedures/data/offline-learning/"* "$work/run/work/Default/"
cp "$source_dir/tests/tools/data/settings.ini" "$work/run/"
expected="$source_dir/tests/tools/data/expected-stdout.txt"
for find in cmake pkg-config; do
  client="$work/client-$find"
  PKG_CONFIG_PATH="$prefix/$lib/pkgconfig" "$cmake" -S "$source_dir/examples/client" \
    -B "$client" -DCMAKE_PREFIX_PATH="$prefix" -DOMBRIXDC_FIND="$find" \
    > "$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure ($find)"; }
  "$cmake" --build "$client" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build ($find)"; }
  ! grep -q "warning" "$work/build.log" || { cat "$work/build.log"; fail "warnings ($find)"; }
  # The client must run on the installed library, not on the build tree's.
  # Read whole before searching: a grep -q that stops early would break ldd's pipe, which
  # pipefail reports as a failure.
  libs="$(ldd "$client/ombrixdc_client")"
  grep -q "libombrixdc.so.0 => $prefix/$lib/" <<< "$libs" \
    || fail "client ($find) does not load the installed library: $libs"
  rm -f "$work/run/work/Default/"_circle1.* "$work/run/work/Default/results.dat"
  (cd "$work/run" && OMBRIXDC_REGISTRY="$work/registry.reg" \
    "$client/ombrixdc_client" "$prefix/$lib/ombrixdc/ombrixdc-simulated-controller.so" \
    > "$work/out.txt") \
    || fail "client ($find) exited $?: $(cat "$work/out.txt")"
  head -n "$(wc -l < "$expected")" "$work/out.txt" | diff -u "$expected" - \
    || fail "event lines differ ($find)"
done
! grep -qs VexaSim "$work/registry.reg" || fail "the simulated controller was left registered"
