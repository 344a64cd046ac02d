#!/usr/bin/env bash
# The command line's help, error lines and terminal progress, as a user meets
# them: each case gives the arguments, the exit status, the stream and a pattern it must hold.
set -euo pipefail
program="$1"
source_dir="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir -p "$work/work/Default"
cp "$source_dir/tests/tools/data/settings.ini" "$work/"
feature="--set FeatureRadius=8 --set TipRadius=1.5 --set ScanDeflection=0.3 --set SlowSpeed=5"
feature+=" --set ModeParameter=30 --set MaxScanSpeed=100 --set FilterNumber=20"
printf '[OmbrixDC]\nBufferPitch=0.05\nDCMapPitch=0.5\n' > "$work/no-probe.ini"
golden="$source_dir/tests/files/golden/offline-learning/results.dat"
text="$(cat "$golden")"
printf '%s' "${text%Form:*}" > "$work/cut.dat"  # the last data set cut off
export DISPLAY=  # view says why it shows no window
# Golden pairs 1 and 5 (5 made an inch boss), map 2 with a nan in its data, a circle data
# file 3 without its map file, a folder under map file 4's name (so pair 5 is never reached),
# and a user's file.
gold="$source_dir/tests/files/golden/offline-learning"
make_maps() {
  mkdir -p "$1/_circle4.rsm" && echo "not a map" > "$1/customer-part.rsd"
  for n in 1 2 5; do cp "$gold/_circle1.rsm" "$1/_circle$n.rsm" && cp "$gold/_circle1.rsd" "$1/_circle$n.rsd"; done
  cp "$gold/_circle1.rsd" "$1/_circle3.rsd"
  sed -i 's/inches):  0/inches):  1/; s/boss):  0/boss):  1/' "$1/_circle5.rsm"  # an inch boss
  python3 -c 'import sys; p = sys.argv[1]; t = open(p, newline="").read()
r = t.index("\r\n\r\n", t.index("DataSize:", t.index("DcMapData"))) + 4
open(p, "w", newline="").write(t[:r] + " nan" + " " * 20 + t[r + 24:])' "$1/_circle2.rsm"
}
make_maps "$work/maps"
mkdir -p "$work/mine/Default" "$work/victim" && echo "my map" > "$work/mine/Default/_circle1.rsm"
learn="run --ini settings.ini $feature --set Learning=1"
cases=(
  "run --help|0|out|--probe-offsets"
  "--help|0|out|COMMAND --help"
  "run --ini settings.ini --offline $feature --set Learning=0|1|out|^GetLastError 0x83100009 NoStoredMap: ."
  "run --ini settings.ini --offline $feature --set Learning=0|1|err|no stored map in work/Default"
  "run --ini settings.ini --offline $feature --set Learning=1|1|out|^GetLastError 0x83100006 [A-Za-z]+: ."
  "run --offline --set NoSuchName=1|2|err|NoSuchName=1: no such property"
  "run --ini settings.ini --set FeatureRadius=1.2 --set TipRadius=0.5 --set ScanDeflection=0.05 --set SlowSpeed=5 --set ModeParameter=30|1|err|not clear of the material: a bore of radius 1.2 mm"
  "render --hide fast none.dat -o x.png|1|err|no such data sets file: none.dat"
  "render none.dat -o x.png --size 759x531|2|err|from 760x531"
  "render none.dat -o nodir/x.png|2|err|no folder nodir to write nodir/x.png in"
  "sweep --speeds 10 -o nodir/x.png|2|err|no folder nodir to write"
  "$learn --set Learning=1e400|2|err|Learning=1e400: value out of range"
  "$learn --timeout nan|2|err|finite number of seconds greater than 0: nan"
  "$learn --timeout abc|2|err|not a number: abc"
  "$learn --probe-offsets 0,inf,0|2|err|must be a finite number: inf"
  "$learn --save ../x|1|err|--save \.\./x: not a bare file name"
  "$learn --save $(printf 'n%.0s' {1..260})|1|err|longer than the file system allows"
  "idl -o none/x.idl|1|err|^ombrixdc: cannot write "
  "run $feature --set Learning=1|1|err|IniFilepath is not set"
  "run --ini nope.ini $feature --set Learning=1|1|err|nope.ini does not exist"
  "run --ini maps $feature --set Learning=1|1|err|the settings file maps is a folder"
  "run --ini no-probe.ini $feature --set Learning=1|1|err|has no \[KT410\] KnownPartScanAcceleration"
  "$learn --offline|1|err|raw scan file work/Default/ScanSlow.dat"
  "render $golden -o out.png|0|err|the reference curve is hidden: its centre"
  "render cut.dat -o out.png|1|err|damaged \(data set 6 of 6, line "
  "view cut.dat|1|err|cut.dat is damaged \(data set 6 of 6, line "
  "view $golden|1|err|give --ini with SlowSpeedRepeatability"
  "view $golden|1|err|no display"
  "maps show 2 maps -o x.png|1|err|map 2 cannot be shown: 2 bore"
  "maps show 3 maps -o x.png|1|err|incomplete: no map file"
  "maps show 9 maps -o x.png|1|err|no map 9 in "
  "maps show 1 maps -o x.gif|2|err|must end in \.png, \.svg or \.pdf: x\.gif"
  "maps show 0 maps -o x.png|2|err|N: must be a whole number, 1 or more: 0"
  "maps show 1 none -o x.png|1|err|no such run directory"
  "maps list|2|err|give the run directory DIR or --ini PATH"
  "maps list --json maps|0|out|\"number\": 5,.*\"feature\": \"boss\", \"radius\": 8, \"unit\": \"inches\""
  "maps prune maps --older-than 0|2|err|older-than: must be a whole number of hours, 1 or more: 0"
  "maps prune maps --older-than 1.5|2|err|older-than: must be a whole number of hours, 1 or more: 1.5"
  # An empty file or folder name is a usage error, not standard output or the temporary folder.
  "idl -o ''|2|err|must not be empty"
  "demo --dir ''|2|err|must not be empty"
  "run --save ''|2|err|must not be empty"
  # The demo writes only into a new, empty or earlier demo folder.
  "demo --dir mine|1|err|is not empty and was not made by the demo"
  # Output that cannot be written is a failure, said on standard error.
  "idl > /dev/full|1|err|cannot write standard output"
  "errors > /dev/full|1|err|cannot write standard output"
  "--help > /dev/full|1|err|cannot write standard output"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r args status stream pattern <<< "$entry"
  got=0
  (cd "$work" && eval "$program $args" > out 2> err) || got=$?
  [[ $got == "$status" ]] || fail "ombrixdc $args: exit $got, not $status: $(cat "$work/err")"
  grep -Eq -- "$pattern" "$work/$stream" || fail "ombrixdc $args: no '$pattern' in std$stream"
done
# A copy of the program with no view module beside it says what is missing.
mkdir -p "$work/alone" && cp "$program" "$work/alone/ombrixdc"
! "$work/alone/ombrixdc" render "$golden" -o "$work/x.png" 2> "$work/err" \
  && grep -q "(libombrixdc-view.so) is missing" "$work/err" || fail "no module: $(cat "$work/err")"
cd "$work"  # the settings' run directory, work/, is taken from the current folder
# A System.dat that cannot be read, and a damaged registry store, left as it was.
echo "Measuring unit and nothing else" > work/Default/System.dat
! $program $learn --offline 2> err && grep -q "System.dat in the run directory" err \
  || fail "damaged System.dat: $(cat err)"
printf '[HKEY_CLASSES_ROOT\\Half' > store.reg
! OMBRIXDC_REGISTRY=store.reg $program register 2> err || fail "register into a damaged store"
grep -q "store.reg: not a registry export: line 1" err && [[ ! -e store.reg.lock ]] \
  && [[ "$(cat store.reg)" == '[HKEY_CLASSES_ROOT\Half' ]] || fail "damaged store: $(cat err)"
# The demo follows no link planted in its folder; its default folder is private to the user.
for pass in first again; do $program demo --dir new/sub > out || fail "demo into new/sub, $pass"; done
echo "their map" > victim/_circle1.rsm && echo "their settings" > their.ini
for planted in Default:victim OmbrixDC.ini:their.ini; do
  name="${planted%%:*}" && mkdir -p "links/$name" && touch "links/$name/.ombrixdc-demo"
  ln -s "$work/${planted#*:}" "links/$name/$name"
  ! $program demo --dir "links/$name" 2> err && grep -q "is a symbolic link the demo did not make" err \
    || fail "demo followed a planted $name: $(cat err)"
done
[[ "$(cat mine/Default/_circle1.rsm victim/_circle1.rsm their.ini)" == \
   $'my map\ntheir map\ntheir settings' && -f new/sub/Default/demo-results.dat ]] || fail "demo"
XDG_CACHE_HOME="$work" $program demo > out || fail "demo into its default folder"
[[ "$(stat -c %a ombrixdc-demo)" == 700 && -f ombrixdc-demo/Default/demo-results.dat ]] \
  || fail "the default demo folder"
# A demo stopped by Ctrl-C says so and leaves no result of the demo before it looking new.
$program demo --dir stop > out
$program demo --dir stop > stopped 2>&1 &
pid=$!
until grep -q "status 2" stopped || ! kill -0 $pid 2> /dev/null; do sleep 0.01; done
kill -INT $pid || true; got=0; wait $pid || got=$?
[[ $got == 3 ]] && grep -q "run aborted, no result" stopped && ! grep -q "run complete" stopped \
  && [[ ! -e stop/radial-error.png && ! -e stop/Default/demo-results.dat ]] \
  || fail "aborted demo: exit $got: $(cat stopped)"
# maps list names every map number and what is wrong with it; check fails while any pair is
# not sound, also a pair whose circle data file is of another grid.
$program maps list maps > out
header=' bore radius 8 mm clockwise speeds 5/30 filter 1/20 pitch 0.5 start 30 points 100 "OmBrixDC Circle Map file" "OmBrixDC Circle Data File" age '
for state in "1 ok|y" "2 damaged: map file damaged: a number cannot be read|y" \
  "3 incomplete: no map file|n" "4 incomplete: _circle4.rsm is not a file; no circle data file (never used: |n" \
  "5 ok (never used: a lower number has no map file)|n"; do
  i="${state%% *}" && line="$(sed -n "${i}p" out)" && what="${state%|*}"
  [[ $line == "${what%% *}"* && $line == *" ${what#* }"* ]] || fail "maps list line $i: $line"
  [[ ${state#*|} == y && $line == *"$header"* || ${state#*|} == n && $line != *"$header"* ]] \
    || fail "maps list line $i, the header: $line"
done
[[ $(wc -l < out) == 5 && $(sed -n 5p out) == *" boss radius 8 in clockwise speeds 5/30 "* ]] \
  || fail "maps list: $(cat out)"
[[ $(sed -n 3p out) != *"never used"* ]] || fail "maps list: the gap itself is not beyond a gap"
! $program maps check maps > out && [[ "$(tail -1 out)" == "5 map numbers, 3 not sound" ]] \
  || fail "maps check: $(cat out)"
rm -r maps/_circle2.rsm maps/_circle2.rsd maps/_circle3.rsd maps/_circle4.rsm
$program maps check maps > out || fail "maps check of sound pairs: $(cat out)"
sed -i 's/MapPitch:  0.500000/MapPitch:  0.600000/' maps/_circle1.rsm
! $program maps check maps > out || fail "maps check of a pair of two grids"
for text in "1 bore radius 8" "inconsistent: PreMapData is not on the grid" \
  "circle data file is not on the map's grid"; do grep -qF "$text" out || fail "check: $text"; done
sed -i 's/ 1.6332963267948966e+000/ 1.6432963267948966e+000/' maps/_circle5.rsm  # first angles
! $program maps check maps > out && grep -q "^5 .*PreMapData is not on the grid" out \
  || fail "maps check of a pair whose first angle is off: $(cat out)"
# show draws a readable map, from a run directory or the one a settings file names.
make_maps shown && $program maps show 1 shown -o map1.png || fail "maps show"
[[ $(stat -c %s map1.png) -gt 10000 ]] || fail "maps show drew $(stat -c %s map1.png) bytes"
mkdir -p named/Default && cp shown/_circle1.rs? named/Default/
printf '[OmbrixDC]\nWorkingDirectory=%s/named/\n' "$work" > named.ini
$program maps show 1 --ini named.ini -o map1.svg || fail "maps show --ini"
# prune applies a run's ageing rule (the procedures' test), in hours; --dry-run only lists.
make_maps aged && touch -d "200 minutes ago" aged/_circle1.rsd
$program maps prune "$work/aged" --older-than 2 --dry-run > out && [[ -e aged/_circle1.rsd ]] \
  && [[ "$(tail -1 out)" == "2 files would be removed" ]] || fail "prune --dry-run: $(cat out)"
$program maps prune "$work/aged" --older-than 2 > out && [[ "$(tail -1 out)" == "2 files removed" ]] \
  && grep -qxF "removed $work/aged/_circle1.rsm" out && [[ ! -e aged/_circle1.rsd ]] || fail "prune: $(cat out)"
# A run on the simulated machine shows its scan progress on a terminal only.
run="run --ini settings.ini $feature --set Learning=1 --set Overwrite=1"
script -qec "$program $run" /dev/null > terminal && grep -aq "scan point" terminal \
  || fail "run on a terminal: no progress shown"
$program $run > piped && ! grep -aq $'\r' piped || fail "progress in piped output"
