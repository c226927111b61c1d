#!/usr/bin/env bash
# The install tree and the Debian package: builds the package with cpack, checks its
# dependencies, conffile, layout and documentation, has lintian find no error in it,
# validates the desktop entry and the AppStream metadata,
# looks the icon up the way the window does, installs the package into a scratch root and
# converts a folder of clips with the installed converter. A plain `cmake --install` into a
# prefix of its own and an upgrade of either keep an edited fanconfig.xml.
#
#   tst_package.sh CPACK BUILD_DIR THEMEICON APP_ID HOMEPAGE QT_MAJOR PROGRAM_WITH_MANUAL_PAGE...
set -euo pipefail
cpack=$1 build=$2 themeicon=$3 appId=$4 homepage=$5 qt=${6:-5}
manualPages=("${@:7}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
expect_link() { # PATH TARGET
    [ "$(readlink "$1")" = "$2" ] || fail "$1 should link to $2, links to '$(readlink "$1")'"
}

# The package and what dpkg learns from it.
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(echo "$work"/package/rotavis_*_*.deb)
[ -f "$deb" ] || fail "no package in $work/package"
depends=$(dpkg-deb -f "$deb" Depends)
translations=qttranslations5-l10n
[ "$qt" = 6 ] && translations=qt6-translations-l10n
for needed in "libqt${qt}widgets$qt" "libqt${qt}gui$qt" libavcodec libavformat libswscale libpugixml \
    "libqt${qt}svg$qt" "$translations"; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
conffiles=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles)
[ "$conffiles" = /etc/rotavis/fanconfig.xml ] || fail "conffiles: '$conffiles'"
lintian --fail-on error "$deb" > "$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }

# Installed into a scratch root: by dpkg itself where this runs as root, so that the upgrade
# below goes through dpkg's conffile handling; unpacked otherwise.
root=$work/root
dpkg_install() {
    dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -i "$deb" \
        > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
}
if [ "$(id -u)" -eq 0 ]; then
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
    dpkg_install
else
    dpkg-deb -x "$deb" "$root"
fi

expect_link "$root/usr/bin/rotavis" ../lib/rotavis/rotavis
expect_link "$root/usr/bin/rotavis-convert" ../lib/rotavis/rotavis-convert
expect_link "$root/usr/lib/rotavis/fanconfig.xml" /etc/rotavis/fanconfig.xml
for file in rotavis rotavis-convert; do
    [ -x "$root/usr/lib/rotavis/$file" ] || fail "no program usr/lib/rotavis/$file"
done
for file in usr/lib/rotavis/zh.qm usr/lib/rotavis/en.qm etc/rotavis/fanconfig.xml \
    "usr/share/icons/hicolor/scalable/apps/$appId.svg"; do
    [ -f "$root/$file" ] || fail "no $file"
done
# The changelog's latest entry is this version, and each manual page is that of its program.
doc=$root/usr/share/doc/rotavis
[ -s "$doc/copyright" ] || fail "no copyright file"
version=$(dpkg-deb -f "$deb" Version)
changelogVersion=$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l- -S Version)
[ "$changelogVersion" = "$version" ] || fail "changelog at $changelogVersion, package at $version"
for program in "${manualPages[@]}"; do
    page=$root/usr/share/man/man1/$program.1.gz
    [ -f "$page" ] || fail "no manual page for $program"
    zcat "$page" | grep -q "^\.TH ${program^^} \"1\" .* \"$program $version\"" \
        || fail "$program.1 is not the page of $program $version"
    zcat "$page" | grep -q '^\.SH SYNOPSIS' || fail "$program.1 has no usage from --help"
done
desktop-file-validate "$root/usr/share/applications/$appId.desktop" || fail "desktop entry"
# File managers offer the program for clips, and hand it the file.
grep -qx 'Exec=rotavis %f' "$root/usr/share/applications/$appId.desktop" || fail "Exec takes no file"
grep -q '^MimeType=.*video/mp4;' "$root/usr/share/applications/$appId.desktop" || fail "no MimeType"
# AppStream 1.0 and later warn about a missing homepage; the project names none yet.
appstream=(appstreamcli validate-tree --no-net)
if [ -z "$homepage" ] && [[ $(appstreamcli --version) =~ version:\ ([0-9]+) ]] \
    && [ "${BASH_REMATCH[1]}" -ge 1 ]; then
    appstream+=(--override=url-homepage-missing=info)
fi
"${appstream[@]}" "$root" > "$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log"; fail "AppStream metadata"; }
# The menu shows the program's own icon; the window asks for "icon2.ico".
QT_QPA_PLATFORM=offscreen "$themeicon" "$root/usr/share/icons" "$appId" icon2.ico || fail "icon lookup"

# The installed converter, started through its link in /usr/bin. The installation file's link
# is absolute and leads out of the scratch root, so the file is named here; the install into
# a prefix of its own below reads it through the link beside the program.
convert=$root/usr/bin/rotavis-convert
installed=$root/etc/rotavis/fanconfig.xml
[ "$("$convert" --list-panels --config "$installed")" = "$("$build/bin/rotavis-convert" --list-panels)" ] \
    || fail "the installed converter lists other panels than the built one"
"$convert" --check-config "$installed" > /dev/null || fail "the bundled installation has findings"
mkdir "$work/clips"
for clip in intro outro; do
    ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i testsrc2=size=96x64:rate=25 \
        -frames:v 5 -c:v mpeg4 "$work/clips/$clip.mp4"
done
"$convert" --config "$installed" --panel "row of three small fans" --input "$work/clips" --output "$work/show" \
    > "$work/table" 2> /dev/null || { cat "$work/table"; fail "batch conversion"; }
[ "$(grep -c ' 5 \+3 .* done$' "$work/table")" -eq 2 ] || { cat "$work/table"; fail "table"; }
for clip in intro outro; do
    "$convert" --inspect "$work/show/${clip}__2.bin" | grep -q '256 LEDs, 400 lines per frame, 5 frames' \
        || fail "${clip}__2.bin"
done

# An upgrade keeps the installer's own description of the installation.
edited='<panels><panel model="ours" width="64" height="64"><fan diameter="64" ledpcs="256" x="32" y="32"/></panel></panels>'
if [ "$(id -u)" -eq 0 ]; then
    echo "$edited" > "$root/etc/rotavis/fanconfig.xml"
    dpkg_install
    [ "$(cat "$root/etc/rotavis/fanconfig.xml")" = "$edited" ] || fail "dpkg replaced the edited conffile"
else
    echo "not root: the upgrade through dpkg is not tried"
fi
prefix=$work/opt/rotavis
cmake --install "$build" --prefix "$prefix" > /dev/null
[ -f "$prefix/lib/rotavis/fanconfig.xml" ] && [ ! -L "$prefix/lib/rotavis/fanconfig.xml" ] \
    || fail "a prefix of its own keeps fanconfig.xml beside the programs"
echo "$edited" > "$prefix/lib/rotavis/fanconfig.xml"
cmake --install "$build" --prefix "$prefix" > /dev/null
[ "$("$prefix/bin/rotavis-convert" --list-panels | head -n 1)" = '0  "ours"  64 x 64  18 Hz  1 fan' ] \
    || fail "cmake --install replaced the edited fanconfig.xml"
echo "package and install tree: all checks passed"
