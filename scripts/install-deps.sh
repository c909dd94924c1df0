#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the project needs and the machine
# lacks. Usage: scripts/install-deps.sh [quick|test|run|all]
# (quick: what the build and CTest need, without the cross-build and fuzzing.)
set -euo pipefail

what=${1:-all}
core=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev)
qt=(qt6-base-dev libxkbcommon-dev)
fuzz=(clang libclang-rt-14-dev)
analysis=(clang-tidy)
# The Windows program is 32-bit: the i686 compiler, and Wine's 32-bit loader
# (wine32 of the i386 architecture) to run it. Where the kernel runs no 32-bit
# programs, the tests run an x86_64 build under Wine's 64-bit loader instead:
# its compiler and wine64 are installed everywhere, so one list serves every
# machine. unzip opens the portable ZIP to check the program inside.
cross=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 nsis unzip)
# Wine comes with its recommended packages (its X11 and font libraries among
# them): without them a fresh prefix or a window may fail on a clean machine.
with_recommends=(wine wine32:i386 wine64)
display=(xvfb xauth xdotool imagemagick)

case "$what" in
  quick) wanted=("${core[@]}" "${qt[@]}" "${analysis[@]}") ;;
  test) wanted=("${core[@]}" "${qt[@]}" "${fuzz[@]}" "${analysis[@]}" "${cross[@]}" "${display[@]}") ;;
  run)  wanted=("${core[@]}" "${qt[@]}" "${display[@]}") ;;
  all)  wanted=("${core[@]}" "${qt[@]}" "${fuzz[@]}" "${analysis[@]}" "${cross[@]}" "${display[@]}") ;;
  *) echo "usage: $0 [quick|test|run|all]" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo=sudo
echo "Installing: ${missing[*]}"
# wine32:i386 comes from the i386 architecture, which dpkg must know first.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
plain=()
recommended=()
for pkg in "${missing[@]}"; do
  if [[ " ${with_recommends[*]} " == *" $pkg "* ]]; then recommended+=("$pkg"); else plain+=("$pkg"); fi
done
if [[ ${#plain[@]} -gt 0 ]]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${plain[@]}"
fi
if [[ ${#recommended[@]} -gt 0 ]]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${recommended[@]}"
fi
