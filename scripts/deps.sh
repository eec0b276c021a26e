# Sourced by run.sh and test.sh: installs the Debian packages Mirvak needs
# when any is missing (as root, or through sudo).
mirvak_need_packages() {
    local wanted=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev
                  fonts-liberation pkg-config libasound2-dev python3 python3-gammu "$@")
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
