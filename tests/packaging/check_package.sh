#!/bin/sh
# Makes the .deb from the finished build and checks what a Debian desktop gets from it: the
# control fields, the exact file list, the desktop entry, metainfo and manual pages as their
# validators read them, icons of the size their folder names, and the file type that
# xdg-mime reports for puzzle data files, with and without the extension. The file type is
# looked up in a scratch XDG data folder; the machine's own desktop state is left alone.
# Arguments: the build folder, the desktop entry's ID, the MIME type.
set -eu
build=$1 id=$2 type=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(echo "$work"/out/*.deb)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

# Control fields: the project's version, a maintainer, and dependencies both computed from
# the binaries (Qt, the C library) and named by hand (font, Qt's Japanese texts, the readers
# of the formats the editor converts).
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libc6 libqt6widgets6 libqt6gui6 fonts-ipafont-gothic qt6-translations-l10n \
    qt6-image-formats-plugins; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$d\( \|$\)" || fail "Depends lacks $d: $depends"
done

# The file list, exactly: nothing missing, nothing extra (no libraries, tests or headers).
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/list"
{
    for p in bin/adxtool bin/puzzle-data-tool share/applications/$id.desktop \
        share/man/man1/adxtool.1.gz share/man/man1/puzzle-data-tool.1.gz \
        share/metainfo/$id.metainfo.xml share/mime/packages/puzzle-data-tool.xml \
        share/icons/hicolor/scalable/apps/puzzle-data-tool.svg; do
        echo "./usr/$p"
    done
    for s in 16 22 24 32 48 64 128 256; do
        echo "./usr/share/icons/hicolor/${s}x$s/apps/puzzle-data-tool.png"
    done
} | sort >"$work/expected"
diff -u "$work/expected" "$work/list" || fail "the package's file list differs (- expected, + found)"

root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
for png in "$share"/icons/hicolor/*/apps/puzzle-data-tool.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "^PNG image data, ${size%x*} x ${size#*x}," || fail "$png: $(file -b "$png")"
done
"$root/usr/bin/adxtool" --help >/dev/null || fail "the installed adxtool does not run"

out=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "appstreamcli validate"; }
for page in "$share"/man/man1/*.1.gz; do
    out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) &&
        [ -z "$out" ] || fail "$page: $out"
done

# The file type, as a GNOME desktop (gio) and any other (File::MimeInfo) tell it, from a
# database of the system's standard types and ours alone.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/no-system-data" \
    XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" GIO_USE_VFS=local
mkdir -p "$HOME" "$XDG_DATA_HOME/mime/packages" "$work/files"
cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/puzzle-data-tool.xml" \
    "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime"
# A header: "ADX", the pattern count, and an empty password inverted (spaces become 0xDF).
# The named files have a lower-case header, so that their names alone must tell their type.
header() { printf '%s\001\337\337\337\337\337\337\337\337\337\337\337\337\337\337\337\337' "$1"; }
header adx >"$work/files/PATTERNS.ADX"
header adx >"$work/files/patterns.adx"
header ADX >"$work/files/patterns"
header adx >"$work/files/lower-case"
for desktop in GNOME X-Generic; do
    for case in PATTERNS.ADX:ours patterns.adx:ours patterns:ours lower-case:other; do
        f=${case%:*}
        found=$(XDG_CURRENT_DESKTOP=$desktop xdg-mime query filetype "$work/files/$f" 2>"$work/err") || true
        [ "$found" = "$type" ] && seen=ours || seen=other
        [ "$seen" = "${case#*:}" ] || fail "$desktop: xdg-mime query filetype $f gave '$found' $(cat "$work/err")"
    done
done

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"
