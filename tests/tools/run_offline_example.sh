#!/usr/bin/env bash
# Drives `ombrixdc run` as a measuring application's script would, on the offline example: a
# bore of radius 8 replayed from raw scan files. Checks the printed lines and the exit status.
set -euo pipefail
ombrixdc="$1"
tests="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/work/Default"
cp "$tests/procedures/data/offline-learning/"* "$work/work/Default/"
cp "$tests/tools/data/settings.ini" "$work/"
cd "$work"

feature=(--set FeatureRadius=8 --set TipRadius=1.5 --set ScanDeflection=0.3 --set SlowSpeed=5
         --set ModeParameter=30 --set MaxScanSpeed=100 --set FilterNumber=20 --set FilterMethod=1)

fail() { echo "FAILED: $*" >&2; exit 1; }

# The documented error table is the one the system uses.
diff -u "$tests/../docs/errors.md" <("$ombrixdc" errors) || fail "docs/errors.md differs from the table"

# Learning, then saving the data sets: the exact lines of the example come first, byte for
# byte. The summary after them is the README's, which Readme.CodeBlocksRun holds it to.
"$ombrixdc" run --ini settings.ini --offline --set Learning=1 "${feature[@]}" \
  --set HeaderInfo1=Example --save results > learn.txt || fail "learning run exited $?"
expected="$tests/tools/data/expected-stdout.txt"
head -n "$(wc -l < "$expected")" learn.txt | diff -u "$expected" - || fail "learning run output differs"

# The stored files are the example's golden files: the same text, and every number of the same
# width and equal to 1e-9 relative or 1e-11 absolute (the map holds differences of two radii of
# 8, whose last digits follow the fast profile's fitted centre).
python3 - "$tests/files/golden/offline-learning" work/Default <<'EOF' || fail "stored files differ"
import math, pathlib, re, sys
number = re.compile(rb"(-?\d+(?:\.\d*)?(?:e[+-]?\d+)?)")
for name in ("_circle1.rsm", "_circle1.rsd", "results.dat"):
    want, got = (number.split(pathlib.Path(folder, name).read_bytes()) for folder in sys.argv[1:])
    assert len(got) == len(want), name
    for i, (g, w) in enumerate(zip(got, want)):
        assert g == w if i % 2 == 0 else len(g) == len(w) and math.isclose(
            float(g), float(w), rel_tol=1e-9, abs_tol=1e-11), f"{name}: {g} vs {w}"
EOF

# A second process finds the stored map and corrects the fast scan with it; for scripts, one
# JSON document holds the lines and results.
"$ombrixdc" run --ini settings.ini --offline --set learning=0 "${feature[@]}" --json > replay.json \
  || fail "compensated run with --json exited $?"
grep -q '"transcript": \["StartPosition .*", "OnStatusChange 1", "OnStatusChange 4"' replay.json \
  || fail "--json transcript: $(cat replay.json)"
grep -q '"mapNumber": 1, "map": "used", "dataSets": \[{"name": "Slow", "centre": \[' replay.json \
  || fail "--json results: $(cat replay.json)"
