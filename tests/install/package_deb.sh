#!/usr/bin/env bash
# Builds the Debian packages of the build tree with CPack, checks their names, versions,
# dependencies and layout, unpacks them into a scratch root and runs the offline example, the
# module registration and the Python module from there alone; then lintian (when installed)
# must report no error.
#   package_deb.sh SOURCE_DIR BUILD_DIR CPACK LIBDIR
set -euo pipefail
source_dir="$1"
build_dir="$2"
cpack="$3"
libdir="usr/$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/packages" \
  > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
version="$(dpkg-deb -f "$work/packages/ombrixdc_"*.deb Version)"
deb() { echo "$work/packages/$1_${version}_$(dpkg --print-architecture).deb"; }
packages=(libombrixdc0 libombrixdc-dev ombrixdc)
[[ -f "$(deb python3-ombrixdc)" ]] && packages+=(python3-ombrixdc)
[[ "$(ls "$work/packages"/*.deb | wc -l)" == "${#packages[@]}" ]] \
  || fail "packages: $(ls "$work/packages")"

# Dependencies: on each other by exact version, on the system's libraries as dpkg-shlibdeps
# found them (versioned), and a shlibs file for programs built against the library.
depends() { dpkg-deb -f "$(deb "$1")" Depends; }
[[ "$(depends libombrixdc-dev)" == "libombrixdc0 (= $version)" ]] || fail "dev: $(depends libombrixdc-dev)"
for package in ombrixdc libombrixdc0; do
  [[ "$(depends $package)" =~ libc6\ \(\>=\ [0-9.]+\) ]] || fail "$package: $(depends $package)"
done
[[ "$(depends ombrixdc)" == "libombrixdc0 (= $version), "* ]] || fail "tools: $(depends ombrixdc)"
[[ "$(dpkg-deb --ctrl-tarfile "$(deb libombrixdc0)" | tar -xO ./shlibs)" == \
   "libombrixdc 0 libombrixdc0 (>= $version)" ]] || fail "shlibs"

# The files: each package has its copyright and changelog; the headers are in their own folder.
root="$work/root"
for package in "${packages[@]}"; do
  dpkg-deb -c "$(deb "$package")" | awk '{ print $6 }' | sed 's|^\./||' > "$work/$package.files"
  for file in copyright changelog.Debian.gz; do
    grep -qx "usr/share/doc/$package/$file" "$work/$package.files" || fail "$package: no $file"
  done
  dpkg -x "$(deb "$package")" "$root"
done
expect() {  # expect PACKAGE FILE...
  local package="$1"; shift
  for file in "$@"; do grep -qx "$file" "$work/$package.files" || fail "$file not in $package"; done
}
expect libombrixdc0 "$libdir/libombrixdc.so.0" "$libdir/libombrixdc-view.so" \
  "$libdir/ombrixdc/ombrixdc-simulated-controller.so" usr/bin/ombrixdc-window
expect libombrixdc-dev "$libdir/libombrixdc.so" usr/include/ombrixdc/CoVexa_OmbrixDC.h \
  usr/include/ombrixdc/OmbrixDC_com.h "$libdir/pkgconfig/ombrixdc.pc"
expect ombrixdc usr/bin/ombrixdc usr/share/man/man1/ombrixdc.1.gz \
  usr/share/bash-completion/completions/ombrixdc usr/share/ombrixdc/machine-description.ini
[[ -z "$(find "$root/usr/include" -maxdepth 1 -type f)" ]] || fail "a header directly in /usr/include"

# From the scratch root alone: the program, the offline example, a picture drawn by the view
# module, the default registration.
program="$root/usr/bin/ombrixdc"
[[ "$("$program" --version)" == "ombrixdc ${version%-*}" ]] || fail "--version"
bash "$source_dir/tests/tools/run_offline_example.sh" "$program" "$source_dir/tests" \
  || fail "offline example with the packaged program"
"$program" render "$source_dir/tests/files/golden/offline-learning/results.dat" -o "$work/view.png" \
  2> /dev/null > /dev/null || fail "render with the packaged view module"
registered="$(OMBRIXDC_REGISTRY="$work/registry.reg" "$program" register)" || fail "register"
[[ "$registered" == *"in $root/$libdir/libombrixdc.so.0 succeeded."*"in $root/$libdir/ombrixdc/ombrixdc-simulated-controller.so succeeded."* ]] \
  || fail "register: $registered"
if [[ -f "$(deb python3-ombrixdc)" ]]; then
  where="$(cd "$work" && PYTHONPATH="$root/usr/lib/python3/dist-packages" python3 -c \
    'import ombrixdc; print(ombrixdc.__file__)')" || fail "python import"
  [[ "$where" == "$root/usr/lib/python3/dist-packages/"* ]] || fail "python module from $where"
fi

# The manual page has every command; the completion every option each command's help lists.
man_page="$(zcat "$root/usr/share/man/man1/ombrixdc.1.gz")"
completion="$root/usr/share/bash-completion/completions/ombrixdc"
for command in demo run sweep view register idl render errors; do
  grep -q "^\.SS $command$" <<< "$man_page" || fail "manual page: no $command"
  listed="$(grep -E "^ +$command\) options=" "$completion")" || fail "completion: no $command"
  for option in $("$program" "$command" --help | grep -oE '^ +(-[a-zA-Z],)?--[a-z-]+' |
                  tr ',' ' '); do
    [[ "$option" == -h || "$option" == --help || " ${listed//\"/ } " == *" $option "* ]] \
      || fail "completion of $command lacks $option"
  done
done

if command -v lintian > /dev/null; then
  lintian --fail-on error "$work/packages/"*.deb > "$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log"; fail "lintian reports errors"; }
else
  echo "lintian not installed: the packages were not checked with it"
fi
