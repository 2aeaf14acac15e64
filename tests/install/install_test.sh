#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a packager see: every
# file in its place and of the right size, the desktop entry and metainfo valid and naming one
# application id, the manual pages free of warnings and giving the README's command lines, and
# an installed copy keeping its files in the user's data folder, never beside itself.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
id=org.quillet.Quillet
for tool in desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh"; exit 77; }
done
prefix=$(mktemp -d /tmp/quillet-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix/usr" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected=(
  bin/quillet bin/quillet-report bin/xbtool
  share/quillet/QUILX.HLP
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/quillet.1 share/man/man1/quillet-report.1 share/man/man1/xbtool.1
)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
  [[ -f $prefix/usr/$file ]] || fail "$file is not installed"
done
for program in quillet quillet-report xbtool; do
  [[ -x $prefix/usr/bin/$program ]] || fail "bin/$program cannot be run"
done
# Nothing else: a test binary or a stray build file in the tree would ship in the package.
found=$(cd "$prefix/usr" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ $found == "$wanted" ]] || fail "the installed tree differs: $(diff <(echo "$wanted") <(echo "$found") | grep '^[<>]' | tr '\n' ' ')"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 32 48 64 128 256; do
  png=$prefix/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  [[ -f $png ]] || continue
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [[ $w == "$size" && $h == "$size" ]] || fail "the ${size}x${size} icon is ${w}x${h}"
done

desktop=$prefix/usr/share/applications/$id.desktop
metainfo=$prefix/usr/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net "$metainfo" >/dev/null || {
  appstreamcli validate --no-net "$metainfo"
  fail "appstreamcli rejects the metainfo"
}
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
grep -qx "Exec=quillet" "$desktop" || fail "the desktop entry does not start quillet"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
grep -q "kApplicationId\[\] = \"$id\"" "$source/src/app/app_icon.h" ||
  fail "the program does not call itself $id"

# Each command line the README gives is in the manual page of its program, word for word.
for page in quillet quillet-report xbtool; do
  text=$(LC_ALL=C.UTF-8 MANWIDTH=250 man --warnings -l "$prefix/usr/share/man/man1/$page.1" \
    2>"$prefix/warnings" | tr -s ' \n' ' ')
  [[ ! -s $prefix/warnings ]] && [[ -n $text ]] || fail "$page.1: $(cat "$prefix/warnings")"
  printf '%s\n' "$text" >"$prefix/$page.txt"
done
readme_lines=(
  "quillet --import FILE [--dir DIR]"
  "quillet-report export html|rtf|text OUTFILE [--dir DIR] [--title TEXT] [--notes] [--color RRGGBB] [--order datetime|descript|priority|record] [--date N] [--priority N] [--keys TEXT] [--show-done]"
  "quillet-report export ics|csv OUTFILE [the same options]"
  "quillet-report play STREAMFILE OUT.pdf [--pages SELECTION]"
  "quillet-report dump STREAMFILE"
  "quillet-report print OUT.pdf [the same options as record]"
  "quillet --backups [--dir DIR]"
  "quillet --restore NAME [--dir DIR]"
)
readme=$(tr -s ' \n' ' ' <"$source/README.md" | sed 's/` *`//g')
for line in "${readme_lines[@]}"; do
  [[ $readme == *"$line"* ]] || fail "the README does not give: $line"
  program=${line%% *}
  grep -qF -- "$line" "$prefix/$program.txt" || fail "$program.1 does not give: $line"
done

# The installed copy keeps its files in the user's data folder, whatever its own folder allows.
data=$prefix/data
XDG_DATA_HOME=$data "$prefix/usr/bin/quillet" --backups >/dev/null ||
  fail "the installed quillet --backups failed"
[[ -d $data/quillet ]] || fail "the installed copy did not make \$XDG_DATA_HOME/quillet"
[[ -z $(find "$prefix/usr/bin" -type f ! -name quillet ! -name quillet-report ! -name xbtool) ]] ||
  fail "the installed copy wrote beside itself"

((failures == 0)) || exit 1
echo "installed tree, validators, manual pages and data folder all as expected"
