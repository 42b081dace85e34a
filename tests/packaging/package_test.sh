#!/usr/bin/env bash
# The packages `make package` builds, checked as a user's system would see them:
# the Debian package's files, lintian's verdict, the installed player's and
# saver's version and the saver's xscreensaver settings; the Windows zip's
# files and what the Windows programs (player and screensaver) carry (icon
# sizes, manifest, version block, the saver's name).
#
#   package_test.sh PACKAGE_DIR
set -u
dir="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version=$(sed -n 's/^project(lumiscene VERSION \([0-9.]*\) .*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[ -n "$version" ] || { echo "FAIL: no project version found"; exit 1; }

deb="$dir/lumiscene_${version}_amd64.deb"
if [ ! -f "$deb" ]; then
  fail "$deb was not built"
else
  dpkg-deb -c "$deb" | awk '{print $6}' > "$work/files.txt"
  for file in ./usr/bin/lumiscene ./usr/share/applications/lumiscene.desktop \
      ./usr/share/icons/hicolor/64x64/apps/lumiscene.png ./usr/share/man/man6/lumiscene.6.gz \
      ./usr/share/doc/lumiscene/copyright ./usr/share/doc/lumiscene/changelog.gz \
      ./usr/libexec/xscreensaver/lumiscene-saver ./usr/share/xscreensaver/config/lumiscene.xml \
      ./usr/share/xscreensaver/config/lumiscene-saver.xml ./usr/share/man/man6/lumiscene-saver.6.gz; do
    grep -qx -- "$file" "$work/files.txt" || fail "the .deb lacks $file"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the .deb's version is not $version"
  dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "the .deb names its libraries as dependencies"
  if ! lintian --fail-on error --no-tag-display-limit "$deb" > "$work/lintian.txt" 2>&1; then
    fail "lintian reports errors"; cat "$work/lintian.txt"
  fi
  dpkg-deb -x "$deb" "$work/root"
  answer=$(timeout 5 "$work/root/usr/bin/lumiscene" --version 2>&1)
  case "$answer" in
    *"$version"*) ;;
    *) fail "the installed player's --version says '$answer', not $version" ;;
  esac
  man -l "$work/root/usr/share/man/man6/lumiscene.6.gz" > /dev/null 2>&1 || fail "the manual page does not format"
  answer=$(timeout 5 "$work/root/usr/libexec/xscreensaver/lumiscene-saver" --version 2>&1)
  [ "$answer" = "lumiscene-saver $version" ] || fail "the installed saver's --version says '$answer'"
  man -l "$work/root/usr/share/man/man6/lumiscene-saver.6.gz" > /dev/null 2>&1 || fail "the saver's manual page does not format"
  # xscreensaver-settings reads the saver's settings by its program's name.
  config="$work/root/usr/share/xscreensaver/config/lumiscene-saver.xml"
  grep -q '<screensaver name="lumiscene-saver"' "$config" && grep -q '<command arg="--root"/>' "$config" ||
    fail "the saver's xscreensaver settings do not name lumiscene-saver --root"
fi

zip="$dir/lumiscene-${version}-windows.zip"
if [ ! -f "$zip" ]; then
  fail "$zip was not built"
else
  unzip -Z1 "$zip" > "$work/zip.txt"
  for file in lumiscene.exe lumiscene.scr README.txt; do
    grep -qx "$file" "$work/zip.txt" || fail "the zip lacks $file"
  done
  unzip -q "$zip" -d "$work/windows"
  for exe in "$work/windows/lumiscene.exe" "$work/windows/lumiscene.scr"; do
    [ -f "$exe" ] || continue
    name=$(basename "$exe")
    wrestool -x --type=14 "$exe" > "$work/icon.ico" 2>/dev/null
    sizes=$(icotool -l "$work/icon.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
    [ "$sizes" = "16 24 32 48 256 " ] || fail "$name's icon has sizes '$sizes', wanted 16 24 32 48 256"
    wrestool -x -R --type=24 "$exe" > "$work/manifest.xml" 2>/dev/null
    grep -q 'level="asInvoker"' "$work/manifest.xml" || fail "$name carries no manifest that runs as invoker"
    grep -qi 'dpiAware' "$work/manifest.xml" && fail "$name's manifest must not declare DPI awareness"
    strings -el "$exe" > "$work/strings.txt"
    grep -q "^Copyright (C) 2026 StarfieldHQ$" "$work/strings.txt" || fail "$name's version block has no LegalCopyright"
    grep -qx "$version beta" "$work/strings.txt" || fail "$name's version block does not say $version beta"
    grep -qx "$name" "$work/strings.txt" || fail "$name's version block names another file"
  done
  # Windows lists a saver by string 1 of the .scr.
  wrestool -x -R --type=6 "$work/windows/lumiscene.scr" 2>/dev/null | iconv -f UTF-16LE -t UTF-8 2>/dev/null |
    grep -q Lumiscene || fail "lumiscene.scr has no name for the Windows saver list"
fi

if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "packages: all checks passed"
