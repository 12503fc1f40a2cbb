#!/bin/sh
# Makes the .deb from the finished build and checks what a Debian desktop gets from it: the
# control fields, the exact file list, the licence and changelog, the desktop entry, metainfo
# and manual pages as their validators read them, icons of the size their folder names, both
# programs' versions, the file type that xdg-mime reports for puzzle data files, with and
# without the extension, and lintian's verdict where lintian is installed. The file type is
# looked up in a scratch XDG data folder; the machine's own desktop state is left alone.
# Arguments: the build folder, the desktop entry's ID, the MIME type, the source folder.
# Exit status 77 (a skip) where a tool it needs is missing.
set -eu
build=$1 id=$2 type=$3 source=$4
for tool in cpack dpkg-deb dpkg-parsechangelog file desktop-file-validate appstreamcli man \
    update-mime-database xdg-mime; do
    command -v "$tool" >/dev/null ||
        { echo "skipped: the package check needs $tool, which scripts/setup installs"; exit 77; }
done
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
        share/icons/hicolor/scalable/apps/puzzle-data-tool.svg \
        share/thumbnailers/puzzle-data-tool.thumbnailer \
        share/doc/puzzle-data-tool/copyright share/doc/puzzle-data-tool/changelog.gz; do
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
# Both programs say the package's version, the editor without a display.
for program in adxtool puzzle-data-tool; do
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version) ||
        fail "$program --version failed"
    [ "$said" = "$program $version" ] || fail "$program --version says '$said'"
done

# The licence as LICENSE words it, the changelog and the releases from NEWS.md for this version.
doc=$share/doc/puzzle-data-tool
sed -n '/^License: MIT$/,$p' "$doc/copyright" | sed '1d; s/^ //; s/^\.$//' >"$work/licence"
tail -n +5 "$source/LICENSE" | diff -u - "$work/licence" >&2 || fail "copyright lacks LICENSE's text"
changelog=$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version) || changelog=
[ "$changelog" = "$version" ] || fail "the changelog's newest version is '$changelog'"
grep -q "<release version=\"$version\" date=" "$share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo has no release $version"

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

# Lintian, Debian's own checks: an error fails, a warning is shown.
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || true
    grep '^[EW]: ' "$work/lintian" >&2 || true
    ! grep -q '^E: ' "$work/lintian" || fail "lintian reports errors"
else
    echo "skipped: lintian, which is not installed (scripts/setup lint installs it)"
fi

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"
