# Installing Debian packages the way the scripts do: directly as root,
# otherwise through sudo; the package lists are updated at most once a run
# unless new sources call for it. Sourced by scripts/setup and
# scripts/build-qt-windows.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Updates the package lists (again, after new sources).
apt_update() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    apt_updated=1
}

# Installs the packages of those named that are not installed yet.
install_missing() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    [ -n "${apt_updated:-}" ] || apt_update
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
