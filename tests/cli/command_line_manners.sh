#!/usr/bin/env bash
# The command line's help, version, error lines and terminal progress, as a user meets
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
cases=(
  "--version|0|out|^ombrixdc [0-9]+\.[0-9]+\.[0-9]+$"
  "run --help|0|out|--probe-offsets"
  "--help|0|out|COMMAND --help"
  "run --ini settings.ini --offline $feature --set Learning=0|1|out|^GetLastError 0x83100009 NoStoredMap: ."
  "run --ini missing.ini --offline $feature --set Learning=1|1|out|^GetLastError 0x83100002 Settings: ."
  "run --ini settings.ini --offline $feature --set Learning=1|1|out|^GetLastError 0x83100006 [A-Za-z]+: ."
  "run --offline --set NoSuchName=1|2|err|NoSuchName=1: no such property"
  "errors|0|out|^\\| IllegalScanParameter \\| the code \\| 0x81600061 \\| the controller refused"
  "run --ini settings.ini --set FeatureRadius=1.2 --set TipRadius=0.5 --set ScanDeflection=0.05 --set SlowSpeed=5 --set ModeParameter=30|1|err|not clear of the material: a bore of radius 1.2 mm"
  "render --hide fast none.dat -o x.png|1|err|no such data sets file: none.dat"
  "render none.dat -o x.png --size 759x531|2|err|from 760x531"
  "render none.dat -o x.bmp|2|err|must end in .png"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r args status stream pattern <<< "$entry"
  set +e
  (cd "$work" && $program $args > out 2> err)  # word splitting of args is intended
  got=$?
  set -e
  [[ $got == "$status" ]] || fail "ombrixdc $args: exit $got, not $status: $(cat "$work/err")"
  grep -Eq -- "$pattern" "$work/$stream" || fail "ombrixdc $args: no '$pattern' in std$stream"
done
cd "$work"  # the settings' run directory, work/, is taken from the current folder
# An empty file or folder name is a usage error, not standard output or the temporary folder.
for option in "idl -o" "demo --dir"; do
  set +e; $program $option "" > out 2> err; got=$?; set -e  # word splitting of option intended
  [[ $got == 2 ]] && grep -q "must not be empty" err || fail "$option '': exit $got: $(cat err)"
done
# Output that cannot be written is a failure, said on standard error.
for command in idl errors --help; do
  ! $program $command > /dev/full 2> err || fail "$command into a full disk exited 0"
  grep -q "cannot write standard output" err || fail "$command: $(cat err)"
done
# A run on the simulated machine shows its scan progress on a terminal only.
run="run --ini settings.ini $feature --set Learning=1 --set Overwrite=1"
script -qec "$program $run" /dev/null > terminal || fail "run on a terminal"
grep -aq "scan point" terminal || fail "no progress on a terminal"
$program $run > piped || fail "run into a pipe"
! grep -aq $'\r' piped || fail "progress in piped output"
