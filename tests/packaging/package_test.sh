#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack from this build tree,
# without errors for lintian, with a valid menu entry, AppStream metainfo and
# code-plug file type, every file of a desktop application in it, and its
# programs running from the unpacked package on the system's own libraries.
# usage: package_test.sh BUILD_DIR MIME_TYPE_OF
set -euo pipefail
build=$1
mime_type_of=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# Built as scripts/package.sh builds it, into a folder of its own.
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "CPack made no single .deb:"; ls "$work/out"; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
echo "package: $(basename "$deb"), version $version"

echo "--- lintian"
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

echo "--- files"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do icons+=("/usr/share/icons/hicolor/$size/apps/km640.png"); done
for path in /usr/bin/km640 /usr/bin/km640-cli /usr/bin/km640-sim \
            /usr/share/applications/km640.desktop \
            /usr/share/icons/hicolor/scalable/apps/km640.svg "${icons[@]}" \
            /usr/share/metainfo/org.km640.km640.metainfo.xml \
            /usr/share/mime/packages/km640.xml \
            /usr/share/man/man1/km640.1.gz /usr/share/man/man1/km640-cli.1.gz /usr/share/man/man1/km640-sim.1.gz \
            /usr/share/bash-completion/completions/km640-cli \
            /usr/share/doc/km640/copyright /usr/share/doc/km640/changelog.gz; do
  grep -qxF "$path" "$work/files" || fail "the package lacks $path"
done
grep -E '\.so(\.|$)' "$work/files" && fail "the package bundles libraries"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "no library dependencies from dpkg-shlibdeps: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6sql6-sqlite' || fail "the production record's SQLite driver is no dependency"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm' && fail "maintainer scripts in the package"

echo "--- the full-width colon of S/N (U+FF1A)"
# The first font the package depends on is the one apt installs; its font
# files (installed here by scripts/deps.sh --test) must hold the glyph.
font_group=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -E '(^| )fonts-' | head -1)
font=$(sed -E 's/^ *([^ |(]+).*/\1/' <<<"$font_group")
if [ -z "$font" ]; then
  fail "no font dependency: $(dpkg-deb -f "$deb" Depends)"
elif ! dpkg-query -W -f='${Status}' "$font" 2>/dev/null | grep -q "install ok installed"; then
  fail "the package's font $font is not installed here to be checked (scripts/deps.sh --test installs it)"
else
  fc-list ':charset=ff1a' file | sed 's/: *$//' | sort -u >"$work/glyph-fonts"
  dpkg -L "$font" | grep -E '\.(ttf|otf|ttc)$' | sort -u >"$work/dependency-fonts"
  [ -s "$work/dependency-fonts" ] || fail "$font installs no font file"
  comm -12 "$work/glyph-fonts" "$work/dependency-fonts" | grep -q . ||
    fail "no font of $font has U+FF1A: $(tr '\n' ' ' <"$work/dependency-fonts")"
  echo "U+FF1A from $font ($font_group)"
fi

root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share

echo "--- menu entry, metainfo, file type"
desktop-file-validate "$share/applications/km640.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.km640.km640.metainfo.xml" || fail "appstreamcli validate"
entry() { sed -nE "s/^$1=//p" "$share/applications/km640.desktop"; }
[ "$(entry Exec)" = "km640 %f" ] || fail "the menu entry starts '$(entry Exec)'"
mapfile -t file_types < <(sed -nE 's/.*<mime-type type="([^"]+)".*/\1/p' "$share/mime/packages/km640.xml")
type=${file_types[0]}       # the 2048-byte code-plug
text_type=${file_types[1]-}  # the code-plug text (JSON)
[ "$text_type" = "application/x-km640-codeplug+json" ] || fail "the file types are '${file_types[*]}'"
[ "$(entry MimeType)" = "$type;$text_type;" ] || fail "the menu entry opens '$(entry MimeType)', the file types are '${file_types[*]}'"
for t in "${file_types[@]}"; do
  grep -qF "<mediatype>$t</mediatype>" "$share/metainfo/org.km640.km640.metainfo.xml" || fail "the metainfo does not name $t"
done
grep -qF "<release version=\"$version\"" "$share/metainfo/org.km640.km640.metainfo.xml" || fail "the metainfo has no release $version"
for page in km640 km640-cli km640-sim; do
  zcat "$share/man/man1/$page.1.gz" | grep -qF "\"km640 $version\"" || fail "the manual page of $page is not of version $version"
done

# As on an installed system: the package's file types in one database with
# the system's own (application/json among them).
system=$work/system/share
mkdir -p "$system/mime/packages"
cp /usr/share/mime/packages/*.xml "$system/mime/packages/"
cp "$share/mime/packages/km640.xml" "$system/mime/packages/"
XDG_DATA_DIRS="$system" update-mime-database "$system/mime" >"$work/mime.log" 2>&1 || fail "update-mime-database"
[ -s "$work/mime.log" ] && { cat "$work/mime.log"; fail "update-mime-database complains"; }
files=$work/files-to-type
mkdir "$files"
# A code-plug: 2048 bytes with the model name at 1968.
codeplug() { { head -c 1968 /dev/zero; printf 'KM640 V119'; head -c 70 /dev/zero; } >"$1"; }
codeplug "$files/bench.tbl"
codeplug "$files/PAGER.TBL"
codeplug "$files/pager-from-bench.bin"
printf 'a note\n' >"$files/notes.txt"
# Code-plug text as km640-cli export writes it; any other JSON stays JSON.
printf '{\n  "format": "km640-codeplug",\n  "version": 1,\n  "fields": {\n    "LogoLine1": "BENCH"\n  }\n}\n' >"$files/bench.json"
cp "$files/bench.json" "$files/pager-text"
printf '{"name": "a settings file"}\n' >"$files/settings.json"
mapfile -t types < <(XDG_DATA_DIRS="$system" XDG_DATA_HOME="$work/nohome" \
                     "$mime_type_of" "$files/bench.tbl" "$files/PAGER.TBL" "$files/pager-from-bench.bin" "$files/notes.txt" \
                     "$files/bench.json" "$files/pager-text" "$files/settings.json")
expected=("$type" "$type" "$type" "text/plain" "$text_type" "$text_type" "application/json")
names=("bench.tbl" "PAGER.TBL" "pager-from-bench.bin (by its model name)" "notes.txt"
       "bench.json" "pager-text (by its format member)" "settings.json")
for i in "${!names[@]}"; do
  [ "${types[i]-}" = "${expected[i]}" ] || fail "${names[i]} is taken for ${types[i]-nothing}, not ${expected[i]}"
done

echo "--- programs"
for program in km640 km640-cli km640-sim; do
  ldd "$root/usr/bin/$program" | grep -F "not found" && fail "$program misses libraries"
  # No display: --version must not need one.
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version) || fail "$program --version failed"
  [ "$got" = "$program $version" ] || fail "$program --version says '$got', the package is $version"
done
cmp -s "$share/bash-completion/completions/km640-cli" "$(dirname "$0")/../../packaging/km640-cli.bash-completion" ||
  fail "the installed completion is not the one in packaging/"

[ "$failures" -eq 0 ] || exit 1
echo "the package holds a desktop application: programs, menu entry, icons, metainfo, file type, manual pages, completion"
