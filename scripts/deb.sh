#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package build/package/mirvak_<version>_<arch>.deb
# (release build without the tests; dependencies computed by dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
mirvak_need_packages "${MIRVAK_DEB_PACKAGES[@]}"
cmake --workflow --preset deb
ls -1 build/package/*.deb
# Debian's own checker, when it is there: no error, no warning and none of
# the hardening tags it counts as information.
if command -v lintian >/dev/null; then
    said="$(lintian -I --fail-on error,warning build/package/*.deb)" || { echo "$said"; exit 1; }
    if [ -n "$said" ]; then echo "$said"; fi
    if grep -q ': hardening-' <<<"$said"; then
        echo "lintian: the package is not hardened" >&2
        exit 1
    fi
fi
