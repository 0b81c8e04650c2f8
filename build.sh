#!/usr/bin/env bash
# One entry point for people and CI:
#   ./build.sh demo [quor-sim demo options]   build the lab and run its demo
#   ./build.sh test                           build every preset and run every test
#   ./build.sh package                        the manual, setup programs and zips in build/package
#   ./build.sh quorsim [--remote builtin:rc5] the program under Wine on a simulated PC
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")"

jobs=${OVALINK_JOBS:-$(nproc 2>/dev/null || echo 2)}

need_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

native_packages=(cmake ninja-build g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev)
windows_packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xauth x11-apps imagemagick)
package_packages=(fp-utils nsis zip unzip file python3)

configure_and_build() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" "$@"
}

# The 32-bit programs, the setup and the setup's plug-ins (System: the script's System::Call;
# nsDialogs: the finish page) may import nothing newer than Windows XP SP3.
check_xp_imports() {
  python3 tools/xp-imports/check_imports.py --objdump i686-w64-mingw32-objdump "$@"
}

# The manual, then one setup program and one portable zip per architecture. The port driver
# is not built here: OVALINK_QUOR_SYS_X86 / OVALINK_QUOR_SYS_X64 name the files to ship, and
# OVALINK_MORE_URL the web address of "More..." (see README).
build_package() {
  local out=build/package
  rm -rf "$out" && mkdir -p "$out"
  scripts/build-manual.sh "$out"
  local arch preset exe
  for arch in x64 x86; do
    preset=win64 && [ "$arch" = x86 ] && preset=win32
    configure_and_build "$preset" --target Quor
    exe=$(cat "build/$preset/package/Quor-path.txt")
    local driver_variable="OVALINK_QUOR_SYS_${arch^^}"
    OVALINK_QUOR_SYS="${!driver_variable:-}" scripts/make-setup.sh "$arch" "$exe" "$out/Quor.chm" "$out"
  done
  local plugins=/usr/share/nsis/Plugins/x86-unicode
  check_xp_imports "$out/Ovalink-1.5-setup-x86.exe" "$plugins/System.dll" "$plugins/nsDialogs.dll"
  echo "== package: $(cd "$out" && ls -- *.exe *.zip *.chm | tr '\n' ' ')"
}

case "${1:-}" in
  demo)
    shift
    need_packages "${native_packages[@]}"
    # Only the lab: the demo should not wait for the tests to build.
    configure_and_build native --target quor-sim >/dev/null
    exec ./build/native/tools/quor-sim demo "$@"
    ;;
  quorsim)
    shift
    need_packages "${native_packages[@]}" "${windows_packages[@]}" fp-utils  # fp-utils: chmcmd for Help
    configure_and_build win64 --target QuorSim quor-remote >/dev/null
    exec scripts/quorsim.sh "$@"
    ;;
  test)
    need_packages "${native_packages[@]}" "${windows_packages[@]}" "${package_packages[@]}"
    echo "== native: build and unit tests"
    configure_and_build native
    ctest --preset native
    echo "== tsan: engine tests under ThreadSanitizer"
    configure_and_build tsan
    ctest --preset tsan
    echo "== win64: build, and tests under Wine"
    configure_and_build win64
    scripts/with-wine.sh build/win64/wineprefix ctest --preset win64
    echo "== win32: the 32-bit product, compile only; its imports must all be in Windows XP SP3"
    configure_and_build win32
    check_xp_imports build/win32/ui/Quor.exe build/win32/quorsim/QuorSim.exe \
      build/win32/tools/quor-remote.exe build/win32/tools/quor-sim.exe
    echo "== package: the manual, setup programs and zips; the 64-bit setup under Wine"
    build_package
    tests/package/setup_test.sh build/package build/win64/tests/package/wine \
      "$(cat build/win64/package/QuorSim-path.txt)"
    echo "== all tests passed"
    ;;
  package)
    need_packages "${native_packages[@]}" "${windows_packages[@]}" "${package_packages[@]}"
    build_package
    ;;
  *)
    echo "usage: $0 demo|test|package|quorsim" >&2
    exit 2
    ;;
esac
