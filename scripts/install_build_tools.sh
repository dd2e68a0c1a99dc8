#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, where they are missing.
set -euo pipefail

# clang and its runtime libraries (libFuzzer) build only the fuzz targets; g++ builds the rest.
# The Gaviota library probes the endgame tablebases; gaviotatb holds the 3-men tables the tests use.
packages=(cmake ninja-build g++ libgtest-dev clang libclang-rt-14-dev libgaviotatb-dev gaviotatb)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
