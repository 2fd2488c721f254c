#!/usr/bin/env bash
# Builds and tests the program on Debian 13 (trixie) in a chroot, from a Debian 12 (or any Debian)
# machine, as root:
#   - makes the chroot with `debootstrap --variant=minbase trixie` from the Debian mirror the host's
#     apt uses, or reuses the one made by an earlier run;
#   - copies the work tree's files (tracked and new, as they are now) or the commit given with --rev
#     into it and installs what is missing with tools/install-deps.sh inside it;
#   - prints the versions it builds against, then runs the layer and format checks, the debug build
#     with warnings as errors and ctest, and the package check (tools/check-package.sh: release
#     build, desktop-file-validate, appstreamcli, lintian); with --all the whole ./test.sh instead
#     (adds the ASan + UBSan suite and the fuzz targets);
#   - unmounts what it mounted, also when a step fails or the run is interrupted.
#
#   tools/check-debian13.sh [--chroot DIR] [--mirror URL] [--rev REV] [--all] [--jpeg3] [--tests-only]
#
#   --chroot DIR   where the chroot lives (default /var/tmp/brimholt-tavelon-trixie); keep it outside
#                  the repository
#   --mirror URL   the Debian mirror (default: the host's, from /etc/apt/sources.list*)
#   --rev REV      check this commit instead of the work tree's files
#   --all          run ./test.sh in the chroot
#   --jpeg3        build and test against libjpeg-turbo 3.x from Debian unstable, installed inside the
#                  chroot only; the chroot's own trixie versions are put back afterwards
#   --tests-only   the debug build and ctest only (no checks, no package)
#
# Exits non-zero when any step fails. The first run takes about 20 minutes on two cores (most of it
# installing and the first builds); later runs reuse the chroot and its ccache.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
root=/var/tmp/brimholt-tavelon-trixie
mirror=""
rev=""
mode=default
jpeg3=false

usage() {
    sed -n '/^#   tools/,/^# Exits/p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
    --chroot) root=${2:?}; shift 2 ;;
    --mirror) mirror=${2:?}; shift 2 ;;
    --rev) rev=${2:?}; shift 2 ;;
    --all) mode=all; shift ;;
    --tests-only) mode=tests; shift ;;
    --jpeg3) jpeg3=true; shift ;;
    *) usage ;;
    esac
done

if [ "$(id -u)" -ne 0 ]; then
    echo "check-debian13: needs root (debootstrap, chroot, mounts)" >&2
    exit 2
fi
root=$(realpath -m "$root")
case "$root/" in
"$repo"/*) echo "check-debian13: keep the chroot outside the repository" >&2; exit 2 ;;
esac

# The first URI of the host's apt sources that ends in the given archive name (debian or
# debian-security), from deb822 .sources files or one-line lists.
host_uri() {
    local archive=$1
    {
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '/^URIs:/ { for (i = 2; i <= NF; ++i) print $i }'
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -E 's/\[[^]]*\]//' | awk '$1 == "deb" { print $2 }'
    } | grep -E "/$archive/?\$" | head -n 1 | sed 's:/*$::' || true
}

[ -n "$mirror" ] || mirror=$(host_uri debian)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
security=$(host_uri debian-security)

# ---- The chroot ---------------------------------------------------------------------------------

ready="$root/.brimholt-tavelon-ready"
if [ ! -e "$ready" ]; then
    if [ -e "$root" ] && [ -n "$(ls -A "$root")" ]; then
        echo "check-debian13: $root exists but was not finished by this script; remove it first" >&2
        exit 1
    fi
    command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
    echo "== debootstrap --variant=minbase trixie $root $mirror"
    debootstrap --variant=minbase trixie "$root" "$mirror"
    touch "$ready"
fi

{
    echo "deb $mirror trixie main"
    echo "deb $mirror trixie-updates main"
    [ -z "$security" ] || echo "deb $security trixie-security main"
} >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Packages installed in the chroot must not start services.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

mounted=()
unstable_list="$root/etc/apt/sources.list.d/unstable.list"
jpeg_packages=(libturbojpeg0 libturbojpeg0-dev libjpeg62-turbo)

in_chroot() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb QT_QPA_PLATFORM=offscreen \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
        bash -c "$1"
}

# Puts trixie's libjpeg-turbo back after a --jpeg3 run (also one that was interrupted).
restore_jpeg() {
    [ -e "$unstable_list" ] || return 0
    echo "== Back to trixie's libjpeg-turbo"
    rm -f "$unstable_list" "$root/etc/apt/preferences.d/unstable"
    local wanted=()
    for p in "${jpeg_packages[@]}"; do
        if in_chroot "dpkg-query -W -f='\${Status}' $p 2>/dev/null | grep -q 'install ok installed'"; then
            wanted+=("$p/trixie")
        fi
    done
    in_chroot "apt-get update -qq && apt-get install -y -qq --allow-downgrades ${wanted[*]}" || return 1
}

cleanup() {
    local status=$?
    restore_jpeg || status=1
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; --i)); do
        umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}" || status=1
    done
    exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Mounts at a place in the chroot unless something is mounted there already (a run that was killed);
# only what this run mounted is unmounted at its end.
mount_at() {
    local target="$root$1"
    shift
    mkdir -p "$target"
    if mountpoint -q "$target"; then
        return 0
    fi
    mount "$@" "$target"
    mounted+=("$target")
}
mount_at /proc -t proc proc
mount_at /sys -t sysfs sysfs
# /dev with what is mounted below it (pts, shm); as a slave, so nothing done inside reaches the host.
mount_at /dev --rbind /dev
mount --make-rslave "$root/dev"

# ---- The source ---------------------------------------------------------------------------------

# A fresh copy each run; build/ stays for the next one (its files are all touched now, so everything
# is rebuilt, from the chroot's ccache where nothing changed).
work="$root/root/tavelon"
mkdir -p "$work"
find "$work" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
if [ -n "$rev" ]; then
    git -C "$repo" archive "$rev" | tar -x -m -C "$work"
    described="commit $(git -C "$repo" rev-parse --short "$rev")"
else
    (cd "$repo" && git ls-files -z --cached --others --exclude-standard |
        xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
        tar --null -T - -c) | tar -x -m -C "$work"
    described="work tree at $(git -C "$repo" rev-parse --short HEAD)$(git -C "$repo" diff --quiet HEAD || echo ' with changes')"
fi
echo "== Checking the $described in $root"

# ---- Packages -----------------------------------------------------------------------------------

restore_jpeg
in_chroot "cd /root/tavelon && ./tools/install-deps.sh"

if $jpeg3; then
    echo "== libjpeg-turbo from unstable (inside the chroot only)"
    # Unstable's Release file carries an expiry date that a mirror snapshot may be past.
    echo "deb [check-valid-until=no] $mirror unstable main" >"$unstable_list"
    # Nothing else comes from unstable unless asked for.
    printf 'Package: *\nPin: release a=unstable\nPin-Priority: 100\n' >"$root/etc/apt/preferences.d/unstable"
    in_chroot "apt-get update -qq && apt-get install -y -qq -t unstable ${jpeg_packages[*]}"
fi

in_chroot 'cat /etc/debian_version
dpkg-query -W -f="\${Package} \${Version}\n" g++ cmake qt6-base-dev libavcodec-dev libgtest-dev \
    libturbojpeg0 libjpeg62-turbo clang-format appstream lintian
g++ --version | head -n 1
cmake --version | head -n 1'

# ---- Build and test -----------------------------------------------------------------------------

case $mode in
all)
    in_chroot "cd /root/tavelon && ./test.sh"
    ;;
tests)
    in_chroot 'cd /root/tavelon && cmake --preset debug -DTAVELON_WARNINGS_AS_ERRORS=ON >/dev/null &&
        cmake --build --preset debug && ctest --preset debug --timeout 300 --output-on-failure'
    ;;
default)
    in_chroot 'cd /root/tavelon && ./tools/check-layers.sh && ./tools/check-format.sh && echo "format: clean" &&
        cmake --preset debug -DTAVELON_WARNINGS_AS_ERRORS=ON >/dev/null &&
        cmake --build --preset debug && ctest --preset debug --timeout 300 --output-on-failure && ./tools/check-package.sh'
    ;;
esac
echo "== Debian 13: all passed ($described$($jpeg3 && echo ', libjpeg-turbo from unstable'))"
