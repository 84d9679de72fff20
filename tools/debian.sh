# Sourced by tools/wheel.sh and tools/aarch64.sh: need COMMAND PACKAGE ...
# installs the Debian packages whose commands are missing (as root, with
# apt-get; the package lists are fetched first when apt does not know a
# package yet), or says what to install.
need() {
    local missing=()
    while [ $# -gt 1 ]; do
        command -v "$1" >/dev/null 2>&1 || missing+=("$2")
        shift 2
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ] || ! command -v apt-get >/dev/null 2>&1; then
        echo "need: install the Debian packages ${missing[*]} (or their like)" >&2
        exit 1
    fi
    echo "need: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null 2>&1 || {
        apt-get update -qq >/dev/null
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    }
}
