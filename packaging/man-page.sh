#!/usr/bin/env bash
# Makes the manual page of ombrixdc from its --help and each command's --help, compressed as
# Debian installs manual pages: man-page.sh HELP2MAN PROGRAM OUTPUT.1.gz
set -euo pipefail
help2man="$1"
program="$2"
output="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The commands, from the "Subcommands:" list of the program's own help.
commands=$("$program" --help |
  awk 'tolower($0) ~ /^subcommands:/ { on = 1; next } on && !NF { exit } on { print $1 }')
{
  echo "[COMMANDS]"
  for command in $commands; do
    echo ".SS $command"
    echo ".nf"
    "$program" "$command" --help | sed -e 's/\\/\\e/g' -e 's/^\./\\\&./'
    echo ".fi"
  done
  printf '[SEE ALSO]\nThe README and the error table in /usr/share/ombrixdc.\n'
} > "$work/commands.h2m"

"$help2man" --no-info --no-discard-stderr \
  --name "circle dynamic compensation for coordinate measuring machines" \
  --include "$work/commands.h2m" --output "$work/ombrixdc.1" "$program"
mkdir -p "$(dirname "$output")"
gzip -9nc "$work/ombrixdc.1" > "$output"
