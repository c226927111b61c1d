#!/usr/bin/env bash
# Builds and tests Rotavis on Debian 13 (trixie), with the FFmpeg 7.1 and Qt 5 of that
# release instead of the host's, in a root made with debootstrap. Too slow for every CI run:
# run it by hand, as root, after touching the FFmpeg or Qt code and before a release.
#
#   scripts/check-debian13.sh [ROOT]
#
# ROOT (default /var/tmp/rotavis-trixie) is made on the first run (a minimal system from
# MIRROR, default http://deb.debian.org/debian; about 2.5 GB with the build packages and a build) and
# reused afterwards. Every run copies the working tree (the files git tracks or would track,
# so no build/ or out/) to ROOT/src, builds it there from scratch and runs every test with
# ./test.sh, exactly as CI does. It fails when a test fails or when the build prints a
# compiler or CMake warning. The whole log is kept in ROOT/src/check.log.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

root=${1:-/var/tmp/rotavis-trixie}
mirror=${MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
    echo "check-debian13.sh: debootstrap and chroot need root; run it with sudo" >&2
    exit 2
fi
command -v debootstrap > /dev/null || {
    echo "check-debian13.sh: debootstrap is missing (apt-get install debootstrap)" >&2
    exit 2
}

if [ ! -f "$root/.bootstrapped" ]; then
    echo "Making a Debian 13 root in $root (several minutes) ..."
    debootstrap --variant=minbase trixie "$root" "$mirror"
    touch "$root/.bootstrapped"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mounted=()
unmount_all() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -R "${mounted[$i]}" 2> /dev/null || umount -lR "${mounted[$i]}" || true
    done
}
trap unmount_all EXIT
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount --rbind /dev "$root/dev" && mounted+=("$root/dev")
mount -t tmpfs tmpfs "$root/tmp" && mounted+=("$root/tmp")

echo "Copying the working tree to $root/src ..."
rm -rf "$root/src"
mkdir -p "$root/src"
git ls-files -z --cached --others --exclude-standard \
    | while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done \
    | tar --null -T - -cf - | tar -xf - -C "$root/src"

echo "Building and testing in Debian 13 (log: $root/src/check.log) ..."
status=0
chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 CI=true \
    bash -c 'cd /src && ./test.sh' > "$root/src/check.log" 2>&1 || status=$?
tail -n 25 "$root/src/check.log"

echo
chroot "$root" dpkg-query -W -f='${Package} ${Version}\n' libavcodec-dev qtbase5-dev g++ cmake \
    2> /dev/null || true
warnings=$(grep -E 'warning:|CMake (Deprecation )?Warning' "$root/src/check.log" || true)
if [ -n "$warnings" ]; then
    echo
    echo "Warnings:"
    echo "$warnings"
fi
if [ "$status" -ne 0 ]; then
    echo "Debian 13: FAILED (./test.sh exited with $status)"
    exit 1
fi
if [ -n "$warnings" ]; then
    echo "Debian 13: the tests pass, but the build is not warning-free"
    exit 1
fi
echo "Debian 13: build warning-free, every test passes"
