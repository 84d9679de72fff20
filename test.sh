#!/usr/bin/env bash
# Runs the whole test suite in the environment made by ./setup.sh.
set -euo pipefail
cd "$(dirname "$0")"
exec .venv/bin/python -m pytest "$@"
