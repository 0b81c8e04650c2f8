#!/usr/bin/env bash
# The 64-bit setup program under Wine, in a prefix of its own created fresh for this run:
#   tests/package/setup_test.sh PACKAGE_DIR HELPERS_DIR [QUORSIM_EXE]
# PACKAGE_DIR is what ./build.sh package makes: both setups, both zips and Quor.chm;
# HELPERS_DIR the programs of tests/package/wine, built with the win64 preset. With
# QUORSIM_EXE, the running program is also shown to ask the shell for the manual and the link
# beside it. The driver and running-copy cases use a setup built from the same script around a
# stand-in Quor.exe that records how it is started.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

if [ "${OVALINK_SETUP_TEST_PREFIX:-}" = "" ]; then
  package=$(realpath "$1") helpers=$(realpath "$2") quorsim=${3:+$(realpath "$3")}
  work="$package/setup-test"
  rm -rf "$work" && mkdir -p "$work"
  export OVALINK_SETUP_TEST_PREFIX="$work/prefix"
  exec "$root/scripts/with-wine.sh" "$OVALINK_SETUP_TEST_PREFIX" "$0" "$package" "$helpers" "$quorsim"
fi

package=$1 helpers=$2 quorsim=${3:-}
work=$(dirname "$OVALINK_SETUP_TEST_PREFIX")
drive_c="$WINEPREFIX/drive_c"
install_dir="$drive_c/Program Files/Ovalink"
install_dir_windows='C:\Program Files\Ovalink'
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Ovalink"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ovalink'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\SOFTWARE\Quor\1.5'
failures=0

wine() { /usr/lib/wine/wine64 "$@" 2>>"$work/wine-stderr.log"; }
probe() { wine "$helpers/wine_probe.exe" "$@"; }
reg_has() { wine reg query "$1" ${2:+/v "$2"} >/dev/null; }
reg_lacks() { ! reg_has "$@"; }
reg_value_once() { wine reg query "$1" /v "$2" | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
# A reg process started while Wine is busy now and then answers nothing (one run in a dozen):
# a value expected present is asked again, until a deadline.
reg_value() {
  local value deadline=$((SECONDS + 10))
  until value=$(reg_value_once "$1" "$2") && [ -n "$value" ] || [ $SECONDS -ge $deadline ]; do :; done
  printf '%s\n' "$value"
}

fail() { echo "    $*"; failures=$((failures + 1)); case_failed=1; }
check() { local what=$1; shift; "$@" || fail "$what"; }
begin() { echo "-- $1"; case_failed=0; }
end() { [ "$case_failed" = 0 ] && echo "   ok" || echo "   FAILED"; }

# A silent uninstaller hands over to a copy of itself in the temporary folder (Un.exe in this
# NSIS; other versions have said Un_A.exe) and returns at once: wait for every "Un..." process
# to end before looking at what it did.
uninstall() {
  wine "$install_dir_windows\\Uninstall.exe" /S "$@"
  probe process-gone Un || fail "the uninstaller did not end within the deadline"
}

setup_installs_files_and_menu() {
  local dir=$1
  for f in Quor.exe Quor.chm More.url Uninstall.exe Manual/index.html Manual/manual.css; do
    check "$f is installed" test -f "$dir/$f"
  done
  for page in "$root"/docs/*.html "$root"/docs/images/*.png; do
    local name=${page#"$root"/docs/}
    check "Manual/$name is installed" test -f "$dir/Manual/$name"
  done
  for link in "Ovalink.lnk" "Ovalink Help.lnk" "Uninstall Ovalink.lnk"; do
    check "Start menu entry $link" test -f "$start_menu/$link"
  done
  check "Start menu entry Ovalink names Quor.exe" grep -aq 'Quor.exe' "$start_menu/Ovalink.lnk"
  check "Start menu entry Ovalink Help names Quor.chm" grep -aq 'Quor.chm' "$start_menu/Ovalink Help.lnk"
  check "listed among installed programs" test "$(reg_value "$uninstall_key" DisplayName)" = Ovalink
  check "uninstall command" test "$(reg_value "$uninstall_key" UninstallString)" = "\"$install_dir_windows\\Uninstall.exe\""
}

# More.url without a build-time address points at the installed manual, which must exist.
more_url_opens_the_installed_manual() {
  local url
  url=$(tr -d '\r' <"$install_dir/More.url" | sed -n 's/^URL=//p')
  check "More.url is an Internet shortcut" grep -q '^\[InternetShortcut\]' "$install_dir/More.url"
  check "More.url target is $url" test "$url" = 'file:///C:/Program%20Files/Ovalink/Manual/index.html'
  local path=${url#file:///C:/}
  check "More.url target exists" test -f "$drive_c/${path//%20/ }"
}

removed_everything() {
  check "installation folder removed" test ! -e "$install_dir"
  check "Start menu folder removed" test ! -e "$start_menu"
  check "installed-programs entry removed" reg_lacks "$uninstall_key"
  check "autostart value removed" reg_lacks "$run_key" Quor
}

seed_user_settings() {
  wine reg add "$settings_key\\Codes1" /v 0 /t REG_BINARY /d 0011223344 /f >/dev/null
  wine reg add "$settings_key" /v Enable /t REG_DWORD /d 1 /f >/dev/null
  wine reg add "$run_key" /v Quor /t REG_SZ /d "$install_dir_windows\\Quor.exe" /f >/dev/null
}

# --- The portable zips and the 32-bit setup (no Wine needed) ------------------------------

begin "portable zips hold the program and the manual; the 32-bit setup is a 32-bit program"
for arch in x64 x86; do
  listing=$(unzip -Z1 "$package/Ovalink-1.5-portable-$arch.zip" 2>&1)
  for f in Quor.exe Quor.chm Manual/index.html Manual/images/virtual_remote.png; do
    check "$arch zip holds $f" grep -qx "$f" <<<"$listing"
  done
done
check "x86 setup is a 32-bit program" sh -c "file -b '$package/Ovalink-1.5-setup-x86.exe' | grep -q '^PE32 executable'"
check "x64 setup is a 64-bit program" sh -c "file -b '$package/Ovalink-1.5-setup-x64.exe' | grep -q '^PE32+ executable'"
end

# --- The product's setup ------------------------------------------------------------------

begin "silent install puts every file and Start menu entry in place"
wine "$package/Ovalink-1.5-setup-x64.exe" /S
check "setup exit status 0" test $? = 0
setup_installs_files_and_menu "$install_dir"
check "Quor.exe is the packaged one" cmp -s "$install_dir/Quor.exe" "$package/stage-x64/Quor.exe"
check "Quor.chm is the packaged one" cmp -s "$install_dir/Quor.chm" "$package/Quor.chm"
check "no Quor.sys without a driver in the package" test ! -e "$install_dir/Quor.sys"
more_url_opens_the_installed_manual
end

if [ -n "$quorsim" ]; then
  begin "Help and More... of the running program open the files beside it; setup waits for its end"
  # The simulated-hardware build needs no driver; beside the installed files it is the program
  # as the user runs it. The recorder takes the shell's "open" of both file types.
  installed_files=$(ls "$install_dir")
  cp "$quorsim" "$install_dir/QuorSim.exe"
  cp "$helpers/open_recorder.exe" "$drive_c/open_recorder.exe"
  for ext in chm url; do
    wine reg add "HKLM\\Software\\Classes\\.$ext" /ve /d OvalinkTest.Open /f >/dev/null
  done
  wine reg add 'HKLM\Software\Classes\OvalinkTest.Open\shell\open\command' /ve \
    /d '"C:\open_recorder.exe" "%1"' /f >/dev/null
  wine reg add "$settings_key" /v NoAskHowToInfo /t REG_DWORD /d 1 /f >/dev/null
  wine "$install_dir_windows\\QuorSim.exe" &
  sim_pid=$!
  probe send Ovalink 5015 || fail "no running window titled Ovalink"
  probe send Ovalink 5013
  for _ in $(seq 1 300); do
    [ "$(wc -l <"$drive_c/opened.log" 2>/dev/null || echo 0)" -ge 2 ] && break
    sleep 0.1
  done
  check "Help opened $install_dir_windows\\Quor.chm" \
    test "$(sed -n 1p "$drive_c/opened.log" 2>/dev/null | tr -d '\r"')" = "$install_dir_windows\\Quor.chm"
  check "More... opened $install_dir_windows\\More.url" \
    test "$(sed -n 2p "$drive_c/opened.log" 2>/dev/null | tr -d '\r"')" = "$install_dir_windows\\More.url"
  wine "$package/Ovalink-1.5-setup-x64.exe" /S
  check "setup refuses while the program runs (exit status 2)" test $? = 2
  probe send Ovalink 5011
  probe window-gone Ovalink || fail "the program did not exit"
  wait "$sim_pid" 2>/dev/null
  # Leave the folder as setup made it: without QuorSim and whatever it keeps beside itself.
  for f in "$install_dir"/*; do
    grep -qxF "$(basename "$f")" <<<"$installed_files" || rm -rf "$f"
  done
  end
fi

begin "silent uninstall removes files and autostart, keeps the trained codes"
seed_user_settings
uninstall
removed_everything
check "Codes1 value 0 kept" reg_has "$settings_key\\Codes1" 0
check "Codes1 value 0 unchanged" test "$(reg_value "$settings_key\\Codes1" 0)" = 0011223344
end

begin "silent uninstall with /REMOVESETTINGS removes the trained codes and settings too"
wine "$package/Ovalink-1.5-setup-x64.exe" /S
seed_user_settings
uninstall /REMOVESETTINGS
removed_everything
check "settings key removed" reg_lacks "$settings_key"
check "empty Quor key removed" reg_lacks 'HKCU\SOFTWARE\Quor'
end

printf 'stand-in driver\n' >"$work/Quor.sys"

begin "with a driver, the program's setup installs the driver service; uninstalling removes it"
product_with_driver="$work/product-with-driver"
OVALINK_QUOR_SYS="$work/Quor.sys" "$root/scripts/make-setup.sh" x64 \
  "$package/stage-x64/Quor.exe" "$package/Quor.chm" "$product_with_driver" || exit 1
wine "$product_with_driver/Ovalink-1.5-setup-x64.exe" /S
# The program's install run reports that this driver does not start, and the setup says so.
check "setup exit status 3: the stand-in Quor.sys cannot start" test $? = 3
service_key='HKLM\System\CurrentControlSet\Services\Quor'
check "service Quor registered" reg_has "$service_key"
check "service Quor runs the installed Quor.sys" \
  grep -qiF 'C:\Program Files\Ovalink\Quor.sys' <<<"$(reg_value "$service_key" ImagePath)"
uninstall
check "service Quor removed" reg_lacks "$service_key"
removed_everything
end

# --- A setup around the stand-in, with a driver -------------------------------------------

stand_in_package="$work/stand-in-package"
OVALINK_QUOR_SYS="$work/Quor.sys" "$root/scripts/make-setup.sh" x64 \
  "$helpers/stand-in/Quor.exe" "$package/Quor.chm" "$stand_in_package" || exit 1
stand_in_setup="$stand_in_package/Ovalink-1.5-setup-x64.exe"
log="$drive_c/stand_in_invocations.log"
invocations() { tr -d '\r' <"$log" 2>/dev/null; }

begin "with a driver, setup installs Quor.sys and runs Quor.exe I"
rm -f "$log"
wine "$stand_in_setup" /S
check "setup exit status 0" test $? = 0
setup_installs_files_and_menu "$install_dir"
check "Quor.sys installed" cmp -s "$install_dir/Quor.sys" "$work/Quor.sys"
check "Quor.exe started once, with I" test "$(invocations)" = "[I]"
end

begin "installing again over a copy with a driver removes its driver first, then installs it"
rm -f "$log"
wine "$stand_in_setup" /S
check "setup exit status 0" test $? = 0
check "Quor.exe started with D, then with I" test "$(invocations | tr '\n' ' ')" = "[D] [I] "
end

begin "setup says when the driver cannot be installed, and installs everything else"
rm -f "$log"
STAND_IN_DRIVER_FAILS=1 wine "$stand_in_setup" /S
check "silent setup exit status 3" test $? = 3
check "Quor.exe started with D, then with I" test "$(invocations | tr '\n' ' ')" = "[D] [I] "
setup_installs_files_and_menu "$install_dir"
check "Quor.sys installed" cmp -s "$install_dir/Quor.sys" "$work/Quor.sys"
end

refuses_while_running() {
  local variant=$1
  begin "setup refuses to install over a running copy ($variant)"
  rm -f "$install_dir/Quor.chm" "$log"
  env "$variant=1" /usr/lib/wine/wine64 "$install_dir_windows\\Quor.exe" 2>>"$work/wine-stderr.log" &
  local pid=$!
  local title=Ovalink
  [ "$variant" = STAND_IN_WITHOUT_WINDOW ] && title="Ovalink stand-in"
  probe send "$title" 0 || fail "the stand-in did not start"
  wine "$stand_in_setup" /S
  check "silent setup exit status 2" test $? = 2
  check "nothing installed" test ! -e "$install_dir/Quor.chm"
  probe send "$title" 5011
  wait "$pid"
  check "Quor.exe was not started by setup" test "$(invocations)" = "[]"
  end
}
refuses_while_running STAND_IN_WITHOUT_WINDOW
refuses_while_running STAND_IN_WITHOUT_MUTEX

begin "setup and uninstaller tell the user why they refuse"
wine "$install_dir_windows\\Quor.exe" &
pid=$!
probe send Ovalink 0 || fail "the stand-in did not start"
wine "$stand_in_setup" &
setup_pid=$!
message=$(probe read-and-close "Ovalink Setup" | tr -d '\r')
wait "$setup_pid"
check "setup exit status 2 after the message" test $? = 2
check "setup says: $message" grep -q "Ovalink is running" <<<"$message"
check "setup says how to end it" grep -q "choose Exit. Then run Setup again." <<<"$message"
wine "$install_dir_windows\\Uninstall.exe" &
message=$(probe read-and-close "Ovalink Uninstall" | tr -d '\r')
probe process-gone Un || fail "the uninstaller did not end within the deadline"
check "uninstaller says: $message" grep -q "choose Exit. Then run the uninstaller again." <<<"$message"
uninstall
check "uninstaller left the running copy alone" test -f "$install_dir/Quor.exe"
check "uninstaller did not remove the driver" test "$(invocations | grep -c '^\[D\]')" = 0
probe send Ovalink 5011
wait "$pid"
end

begin "uninstaller runs Quor.exe D and removes the rest even when the driver stays"
rm -f "$log"
STAND_IN_DRIVER_FAILS=1 uninstall
check "Quor.exe started once, with D" test "$(invocations)" = "[D]"
removed_everything
end

echo "== setup tests: $failures failed checks"
[ "$failures" = 0 ]
