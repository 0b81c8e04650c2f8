#!/usr/bin/env bash
# Builds the setup program and the portable zip of one architecture:
#   scripts/make-setup.sh x86|x64 QUOR_EXE QUOR_CHM OUT_DIR
# Optional, from the environment:
#   OVALINK_QUOR_SYS   the port driver for this architecture, shipped as Quor.sys
#   OVALINK_MORE_URL   the web address that "More..." opens; without it the setup points
#                      More.url at the installed manual, and the zip has no More.url
# Writes OUT_DIR/Ovalink-<version>-setup-<arch>.exe and OUT_DIR/Ovalink-<version>-portable-<arch>.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1 exe=$2 chm=$3 out=$(realpath -m "$4")
version=1.5
case "$arch" in x86|x64) ;; *) echo "make-setup: architecture is x86 or x64" >&2; exit 2 ;; esac

stage="$out/stage-$arch"
rm -rf "$stage"
mkdir -p "$stage/Manual/images"
cp "$exe" "$stage/Quor.exe"
cp "$chm" "$stage/Quor.chm"
# The manual's pages as they are, for a browser; the help-project files stay behind.
cp "$root"/docs/*.html "$root"/docs/*.css "$stage/Manual/"
cp "$root"/docs/images/*.png "$stage/Manual/images/"
if [ -n "${OVALINK_QUOR_SYS:-}" ]; then
  cp "$OVALINK_QUOR_SYS" "$stage/Quor.sys"
fi
if [ -n "${OVALINK_MORE_URL:-}" ]; then
  case "$OVALINK_MORE_URL" in
    http://*|https://*) ;;
    *) echo "make-setup: OVALINK_MORE_URL must be an http:// or https:// address" >&2; exit 2 ;;
  esac
  printf '[InternetShortcut]\r\nURL=%s\r\n' "$OVALINK_MORE_URL" >"$stage/More.url"
fi

setup="$out/Ovalink-$version-setup-$arch.exe"
makensis -V2 -DARCH="$arch" -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  "$root/package/ovalink.nsi" >"$out/makensis-$arch.log" || { cat "$out/makensis-$arch.log" >&2; exit 1; }

zip="$out/Ovalink-$version-portable-$arch.zip"
rm -f "$zip"
(cd "$stage" && zip -q -r -X "$zip" .)
