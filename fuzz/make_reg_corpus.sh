#!/usr/bin/env bash
# Records the seed corpus of fuzz_reg_text: real exports by Wine's "regedit /e" (UTF-16,
# Version 5 header) of keys holding every kind of value, among them the program's own keys
# imported from a REGEDIT4 file of the kind the Linux store writes.
#   fuzz/make_reg_corpus.sh [WORK_DIR]      (default: build/fuzz)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-$root/build/fuzz}")/reg-corpus
out="$root/fuzz/corpus/reg_text"
mkdir -p "$work" "$out"

# The program's keys as the Linux store writes them, with the awkward cases of the format:
# escapes, an unnamed value, long wrapped hex, expandable and multi-strings.
hex_run() { local n=$1 byte=$2 s=""; for ((i = 0; i < n; i++)); do s+="${s:+,}$byte"; done; echo "$s"; }
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Quor\\1.5]\r\n"Enable"=dword:00000001\r\n"Port"=dword:000003f8\r\n'
  printf '"MinReads"=dword:0000000a\r\n"CodeCount"=dword:00000005\r\n"Limit"=dword:00000002\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Quor\\1.5\\Codes1]\r\n"3"=hex:%s,%s\r\n\r\n' "$(hex_run 90 01)" "$(hex_run 910 00)"
  printf '[HKEY_CURRENT_USER\\Software\\Quor\\1.5\\Codes2]\r\n"3"=hex:%s\r\n\r\n' "$(hex_run 1000 00)"
  printf '[HKEY_CURRENT_USER\\Software\\Quor\\1.5\\CodeFlags]\r\n"3"=dword:00000001\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Quor\\1.5\\Commands]\r\n"0"=hex:%s\r\n\r\n' "$(hex_run 48 19)"
  printf '[HKEY_CURRENT_USER\\Software\\Quor\\Odd]\r\n@="unnamed"\r\n"Quote\\"d"="C:\\\\Program Files\\\\\\"Ovalink\\""\r\n'
  printf '"Expand"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n'
  printf '"Multi"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"Empty"=hex:\r\n"None"=hex(0):01,02\r\n\r\n'
} >"$work/quor_import.reg"
cp "$work/quor_import.reg" "$out/ovalink_written.reg"

export_keys() {
  local wine=/usr/lib/wine/wine64
  winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
  "$wine" regedit /s "$(winpath "$work/quor_import.reg")"
  "$wine" regedit /e "$(winpath "$work/wine_quor.reg")" 'HKEY_CURRENT_USER\Software\Quor'
  "$wine" regedit /e "$(winpath "$work/wine_hkcu_wine.reg")" 'HKEY_CURRENT_USER\Software\Wine'
  "$wine" regedit /e "$(winpath "$work/wine_environment.reg")" 'HKEY_CURRENT_USER\Environment'
  "$wine" regedit /e "$(winpath "$work/wine_fonts.reg")" \
    'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
  "$wine" regedit /e "$(winpath "$work/wine_session_manager.reg")" \
    'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager\Environment'
}
export -f export_keys
export work
"$root/scripts/with-wine.sh" "$work/wineprefix" bash -c export_keys
for f in wine_quor wine_hkcu_wine wine_environment wine_fonts wine_session_manager; do
  cp "$work/$f.reg" "$out/$f.reg"
done
ls -l "$out"
