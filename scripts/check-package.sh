#!/usr/bin/env bash
# Builds the Debian package from a build folder, installs it with apt into a
# minimal fresh Debian 12 root (debootstrap --variant=minbase) and checks
# there, as a new user, that norva-calc calculates the sample, that norva
# starts, draws its icons and leaves through its exit path, and that the
# plugins it loads at run time came with the package's dependencies.
#
#   scripts/check-package.sh [build folder]     (as root; about a minute)
#
# The minimal root is made once a day from the machine's own Debian archive
# (the first "deb" source of apt) and kept as a tarball, with apt's downloads,
# under NORVA_PACKAGE_CACHE (default /var/cache/norva-package-check), outside
# the repository. Older roots are removed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
cache=${NORVA_PACKAGE_CACHE:-/var/cache/norva-package-check}
suite=bookworm

if [ "$(id -u)" -ne 0 ]; then
    echo "check-package: needs root (debootstrap, chroot)" >&2
    exit 1
fi
for tool in debootstrap dpkg-deb cpack chroot; do
    command -v "$tool" >/dev/null || { echo "check-package: $tool is missing (scripts/deps.sh)" >&2; exit 1; }
done

# The machine's Debian archive, as apt is set up to reach it.
mirror=$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}' |
    grep -v security | head -n1 || true)
if [ -z "$mirror" ]; then
    mirror=$(awk '$1 == "deb" { for (i = 2; i <= NF; ++i) if ($i !~ /^\[/) { print $i; exit } }' \
        /etc/apt/sources.list 2>/dev/null | grep -v security | head -n1 || true)
fi
mirror=${mirror:-http://deb.debian.org/debian}

echo "== the package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/norva_*_amd64.deb | head -n1)
dpkg-deb -f "$deb" Depends

echo "== a minimal $suite root from $mirror"
mkdir -p "$cache/archives/partial"
tarball=$cache/$suite-minbase-$(date +%Y%m%d).tar.gz
if [ ! -s "$tarball" ]; then
    fresh=$(mktemp -d)
    debootstrap --variant=minbase "$suite" "$fresh/root" "$mirror" >"$fresh/debootstrap.log" 2>&1 ||
        { tail -n 20 "$fresh/debootstrap.log" >&2; rm -rf --one-file-system "$fresh"; exit 1; }
    tar -C "$fresh/root" -czf "$tarball.part" .
    mv "$tarball.part" "$tarball"
    rm -rf --one-file-system "$fresh"
    find "$cache" -maxdepth 1 -name "$suite-minbase-*.tar.gz" ! -path "$tarball" -delete
fi

work=$(mktemp -d)
root=$work/root
cleanup() {
    for m in "$root/var/cache/apt/archives" "$root/proc"; do
        mountpoint -q "$m" && umount "$m"
    done
    # Never past a mount still in place.
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
mkdir "$root"
tar -C "$root" -xzf "$tarball"
mount -t proc proc "$root/proc"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
# The same archive as the machine's apt, updates and security fixes too.
rm -f "$root/etc/apt/sources.list"
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && cp "$f" "$root$f"
done
[ -n "$(ls "$root"/etc/apt/sources.list "$root"/etc/apt/sources.list.d/* 2>/dev/null)" ] ||
    echo "deb $mirror $suite main" >"$root/etc/apt/sources.list"
cp "$deb" "$root/tmp/"

echo "== apt-get install ./$(basename "$deb")"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }
in_root apt-get -qq update
in_root env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o Dpkg::Use-Pty=0 \
    install "/tmp/$(basename "$deb")" >"$work/install.log" 2>&1 ||
    { tail -n 30 "$work/install.log" >&2; exit 1; }

failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

# The plugins that draw the icons, loaded at run time.
for plugin in iconengines/libqsvgicon.so imageformats/libqsvg.so platforms/libqxcb.so; do
    [ -e "$root/usr/lib/x86_64-linux-gnu/qt6/plugins/$plugin" ] || fail "no $plugin in the root"
done

# A new user, with an empty home.
in_root useradd --create-home --uid 4242 tester
as_user() {
    chroot --userspec=4242:4242 "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/tester \
        QT_QPA_PLATFORM=offscreen "$@"
}

echo "== norva-calc"
json=$(as_user norva-calc --log /usr/share/norva/MjScore.txt --user かもめ --all-dates --json 2>&1) ||
    fail "norva-calc: $json"
grep -q '"GameCount": 288,' <<<"$json" || fail "norva-calc gave no 288 games: $json"

echo "== norva"
# Started, then told to end: it leaves through its exit path, which writes the
# settings. What it says on the terminal must not report icons it cannot draw.
set +e
as_user timeout -s TERM 10 norva >"$work/norva.log" 2>&1
rc=$?
set -e
cat "$work/norva.log"
[ -s "$root/home/tester/.config/norva/norva.ini" ] || fail "norva wrote no settings (exit $rc)"
grep -q 'アイコンを描けません' "$work/norva.log" && fail "norva could not draw its icons"
grep -qi 'could not load the Qt platform plugin' "$work/norva.log" && fail "no platform plugin"

if [ "$failed" -ne 0 ]; then
    echo "check-package: FAILED" >&2
    exit 1
fi
echo "check-package: the package installs into a minimal $suite root, both programs start, icons draw"
