#!/usr/bin/env bash
# Installs everything tambrel needs to build, run and test on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  cmake g++ pkg-config make
  libstk-dev librtaudio-dev librtmidi-dev libasound2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  jackd2 libjack-jackd2-dev
  clang libclang-rt-14-dev
  libcli11-dev libsndfile1-dev nlohmann-json3-dev
  clang-22 libclang-rt-22-dev
  help2man sox tmux
  lv2-dev liblilv-dev lilv-utils sordi serdi jalv
  libfftw3-dev libebur128-dev libcairo2-dev libfontconfig-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable real-time scheduling; answer it before installing.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
