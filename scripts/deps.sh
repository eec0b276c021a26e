# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by run.sh, test.sh and scripts/deb.sh: installs the Debian packages Mirvak needs
# when any is missing (as root, or through sudo).

# Beyond what building and running takes: the validators of the install-tree
# test, the PDU and vCard libraries messages and phonebook files are
# cross-checked with, the JSON Schema validator of the backup files, lintian and bash-completion for the package, and what
# CPack needs for a .deb with computed dependencies.
MIRVAK_TEST_PACKAGES=(desktop-file-utils appstream groff-base python3-gammu python3-vobject python3-jsonschema lintian bash-completion)
MIRVAK_DEB_PACKAGES=(dpkg-dev file)

mirvak_need_packages() {
    local wanted=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev
                  fonts-liberation pkg-config libasound2-dev libqt6sql6-sqlite python3 "$@")
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
