#!/usr/bin/env bash
# Checks what tools/package.sh wrote: the .deb's files, computed dependencies and scripts, that it installs
# and runs from PATH (unpacked into a throw-away root, its postinst run against a stand-in udevadm, so that
# a machine that is reused is left as it was), and the Windows archive's files.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# shellcheck source=tools/require.sh
source tools/require.sh
vela_require dpkg-deb apt-get cmake gzip || exit 1
dist=$root/build/dist
work=$(mktemp -d "$root/build/check-packages.XXXXXX")
trap 'rm -rf "$work"' EXIT
faults=0
fault() {
    echo "check-packages: $*"
    faults=$((faults + 1))
}

debs=("$dist"/vela-tools_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "check-packages: expected one .deb in $dist"; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "vela-tools_${version}_$(dpkg-deb -f "$deb" Architecture).deb" ] ||
    fault "$(basename "$deb") is not named after its version and architecture"

listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in usr/bin/velactl usr/bin/velasim usr/lib/udev/rules.d/70-vela.rules usr/share/man/man1/velactl.1.gz \
    usr/share/man/man1/velasim.1.gz usr/share/doc/vela-tools/copyright usr/share/doc/vela-tools/changelog.gz; do
    grep -qx "\./$f" <<<"$listing" || fault "the .deb lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6; do
    grep -q "$lib (>= " <<<"$depends" || fault "Depends names no versioned $lib: $depends"
done

# Every dependency can be met here (a simulated install changes nothing).
apt-get install -s -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fault "apt cannot install the .deb"; }

target=$work/root
dpkg-deb -x "$deb" "$target"
dpkg-deb -e "$deb" "$work/DEBIAN"
mkdir -p "$work/fake"
printf '#!/bin/sh\necho "$*" >>"%s/udevadm.calls"\n' "$work" >"$work/fake/udevadm"
chmod +x "$work/fake/udevadm"
PATH=$work/fake:$PATH sh "$work/DEBIAN/postinst" configure || fault "postinst configure failed"
grep -qx "control --reload-rules" "$work/udevadm.calls" 2>/dev/null || fault "postinst does not reload the udev rules"

export PATH=$target/usr/bin:$PATH
[ "$(command -v velactl)" = "$target/usr/bin/velactl" ] || fault "velactl from the package is not the one on PATH"
out=$(velactl --version) && [ "$out" = "velactl $version" ] || fault "velactl --version says '$out', not $version"
out=$(velasim --version) && [ "$out" = "velasim $version" ] || fault "velasim --version says '$out', not $version"
out=$(timeout 60 velactl --device sim status 2>&1) && grep -q "link: connected" <<<"$out" ||
    fault "velactl --device sim status from the package failed: $out"
gzip -dc "$target/usr/share/man/man1/velactl.1.gz" >"$work/velactl.1"
tests/cli/man_page.sh velactl "$work/velactl.1" || fault "the packaged man page misses commands"

zips=("$dist"/vela-*-win64.zip)
if [ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ]; then
    zip=${zips[0]}
    [ "$(basename "$zip")" = "vela-$version-win64.zip" ] || fault "$(basename "$zip") is not of version $version"
    mkdir -p "$work/zip"
    (cd "$work/zip" && cmake -E tar xf "$zip") || fault "cannot unpack $zip"
    folder=$work/zip/vela-$version-win64
    for f in vela.exe velactl.exe velasim.exe; do
        [ "$(head -c 2 "$folder/$f" 2>/dev/null)" = "MZ" ] || fault "the archive lacks the program $f"
    done
    readme=$folder/README.txt
    grep -q "vela.exe" "$readme" 2>/dev/null || fault "README.txt has no English part"
    grep -q "主程序" "$readme" 2>/dev/null || fault "README.txt has no Chinese part"
    grep -q $'\r$' "$readme" 2>/dev/null || fault "README.txt does not have Windows line ends"
    extra=$(cd "$folder" && ls | grep -vx 'vela.exe\|velactl.exe\|velasim.exe\|README.txt')
    [ -z "$extra" ] || fault "the archive holds more than it should: $extra"
else
    fault "expected one vela-*-win64.zip in $dist"
fi

if [ $faults -gt 0 ]; then
    echo "check-packages: $faults fault(s)"
    exit 1
fi
echo "check-packages: $(basename "$deb") and vela-$version-win64.zip hold what they should, and the .deb runs"
