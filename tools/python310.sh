# Sourced by ./setup.sh and tools/wheel.sh: find_python310 prints the path of
# a Python 3.10 interpreter (the newest of pyenv's 3.10 versions, else one on
# PATH) and fails when there is none.
find_python310() {
    local root candidate
    if command -v pyenv >/dev/null 2>&1; then
        root=$(pyenv root)
    else
        root=${PYENV_ROOT:-$HOME/.pyenv}
    fi
    for candidate in $(ls -d "$root"/versions/3.10.* 2>/dev/null | sort -V -r); do
        if [ -x "$candidate/bin/python3.10" ]; then
            echo "$candidate/bin/python3.10"
            return 0
        fi
    done
    for candidate in python3.10 /usr/bin/python3.10 /usr/local/bin/python3.10; do
        if command -v "$candidate" >/dev/null 2>&1 &&
            "$candidate" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 10))' 2>/dev/null; then
            command -v "$candidate"
            return 0
        fi
    done
    return 1
}
