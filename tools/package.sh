#!/usr/bin/env bash
# Writes what users install into build/dist/:
#   vela-tools_VERSION_ARCH.deb  velactl, velasim, the udev rule and the man pages (from the release build);
#   vela-VERSION-win64.zip       vela.exe, velactl.exe, velasim.exe and README.txt (from the windows build).
# Builds only the programs it packs (both builds are reused when ./test already made them), computes the
# package's dependencies with dpkg-shlibdeps, and ends with lintian's remarks on the package.
# Usage: tools/package.sh [--deb-only|--zip-only]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# shellcheck source=tools/require.sh
source tools/require.sh

want_deb=1
want_zip=1
case "${1:-}" in
    --deb-only) want_zip=0 ;;
    --zip-only) want_deb=0 ;;
    "") ;;
    *)
        echo "usage: tools/package.sh [--deb-only|--zip-only]" >&2
        exit 2
        ;;
esac

vela_require cmake ninja dpkg-deb dpkg-shlibdeps dpkg-architecture lintian help2man gzip strip md5sum
dist=$root/build/dist
mkdir -p "$dist"
work=$(mktemp -d "$root/build/package.XXXXXX")
trap 'rm -rf "$work"' EXIT
jobs=$(nproc)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date +%s)}
export SOURCE_DATE_EPOCH

cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target velactl velasim vela_man_pages
version=$(build/release/src/velactl --version | awk '{ print $2 }')
[ -n "$version" ] || { echo "package: velactl --version printed no version" >&2; exit 1; }

if [ $want_deb = 1 ]; then
    arch=$(dpkg-architecture -qDEB_HOST_ARCH)
    deb=$dist/vela-tools_${version}_${arch}.deb
    # Staged where a Debian source tree keeps a binary package's files: dpkg-shlibdeps looks there.
    stage=$work/src/debian/vela-tools
    DESTDIR=$stage cmake --install build/release --prefix /usr --strip >/dev/null
    strip --remove-section=.comment --remove-section=.note "$stage"/usr/bin/*
    [ -s "$stage/usr/share/man/man1/velactl.1" ] || { echo "package: no man page for velactl" >&2; exit 1; }
    gzip -9n "$stage"/usr/share/man/man1/*.1
    doc=$stage/usr/share/doc/vela-tools
    mkdir -p "$doc"
    install -m 644 packaging/deb/copyright "$doc/copyright"
    install -D -m 644 packaging/deb/lintian-overrides "$stage/usr/share/lintian/overrides/vela-tools"
    sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$(date -R -u -d "@$SOURCE_DATE_EPOCH")/" packaging/deb/changelog |
        gzip -9n >"$doc/changelog.gz"
    chmod 644 "$doc/changelog.gz"

    # dpkg-shlibdeps reads the source package's control file from ./debian, and takes the folder that holds
    # DEBIAN for the package's root.
    mkdir -p "$stage/DEBIAN"
    printf 'Source: vela\n\nPackage: vela-tools\nArchitecture: any\n' >"$work/src/debian/control"
    depends=$(cd "$work/src" && dpkg-shlibdeps -O debian/vela-tools/usr/bin/velactl debian/vela-tools/usr/bin/velasim |
        sed -n 's/^shlibs:Depends=//p')
    [ -n "$depends" ] || { echo "package: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

    install -m 755 packaging/deb/postinst packaging/deb/postrm "$stage/DEBIAN/"
    size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
    sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
        packaging/deb/control.in >"$stage/DEBIAN/control"
    (cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)
    chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
    find "$stage" -type d -exec chmod 755 {} +
    rm -f "$dist"/vela-tools_*.deb
    dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
    echo "package: $deb (Depends: $depends)"

    # Remarks are shown, not hidden: the ones that stay are explained in the README.
    lintian_log=$dist/lintian.txt
    if lintian --tag-display-limit 0 --display-info --show-overrides "$deb" >"$lintian_log" \
        2>"$work/lintian.err"; then
        lintian_ok=1
    else
        lintian_ok=0
        cat "$work/lintian.err" >&2
    fi
    if [ -s "$lintian_log" ]; then
        echo "package: lintian says:"
        sed 's/^/    /' "$lintian_log"
    else
        echo "package: lintian has no remarks"
    fi
    [ $lintian_ok = 1 ] || { echo "package: lintian found errors" >&2; exit 1; }
fi

if [ $want_zip = 1 ]; then
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j "$jobs" --target vela velactl velasim
    folder=vela-$version-win64
    zip=$dist/$folder.zip
    mkdir -p "$work/zip/$folder"
    cp build/windows/src/vela.exe build/windows/src/velactl.exe build/windows/src/velasim.exe "$work/zip/$folder/"
    # Notepad on older Windows wants CRLF line ends; the byte order mark tells it the text is UTF-8.
    sed -e "s/@VERSION@/$version/" -e 's/$/\r/' packaging/windows/README.txt >"$work/zip/$folder/README.txt"
    rm -f "$dist"/vela-*-win64.zip
    (cd "$work/zip" && cmake -E tar cf "$zip" --format=zip --mtime="$(date -u -R -d "@$SOURCE_DATE_EPOCH")" "$folder")
    echo "package: $zip"
fi
