#!/usr/bin/env bash
# Builds the Debian package of the build tree with CPack, unpacks it into a temporary root with
# dpkg -x and runs the packaged program from there.
set -euo pipefail
build_dir="$1"
cpack="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/packages" \
  > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work/packages"/*.deb)
[[ ${#debs[@]} == 1 && -f "${debs[0]}" ]] || fail "expected one .deb: ${debs[*]}"
[[ "$(dpkg-deb -f "${debs[0]}" Package)" == ombrixdc ]] || fail "package name"
dpkg -x "${debs[0]}" "$work/root"
for file in usr/lib/libombrixdc.so.0 usr/lib/libvexasim.so usr/bin/ombrixdc-window \
  usr/include/CoVexa_OmbrixDC.h usr/share/ombrixdc/machine-description.ini; do
  [[ -e "$work/root/$file" ]] || fail "$file not in the package"
done
version="$("$work/root/usr/bin/ombrixdc" --version)" || fail "ombrixdc --version exited $?"
[[ "$version" == "ombrixdc $(dpkg-deb -f "${debs[0]}" Version)" ]] || fail "version '$version'"
