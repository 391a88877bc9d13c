#!/usr/bin/env bash
# Keeps the install step honest: every command in tools/commands.txt must come from a package that
# tools/install-deps.sh installs, and on this machine the command on PATH must be that package's file (or
# that of the dependency the table names). A command missing from the table is caught where the scripts
# call vela_require; a package missing from the install list, or a wrong package in the table, here.
set -uo pipefail
cd "$(dirname "$0")/.."
table=tools/commands.txt
installed_list=$(sed -n '/^packages=(/,/^)/p' tools/install-deps.sh | tr -s ' \n' '\n' | grep -v '^packages=(\|^)$' || true)
faults=0
fault() {
    echo "check-deps: $*"
    faults=$((faults + 1))
}
while read -r cmd pkg holder _; do
    case "$cmd" in '' | '#'*) continue ;; esac
    if [ "$pkg" = essential ]; then
        # With a merged /usr, dpkg knows some files only under /bin, where their packages put them.
        owner=$(dpkg -S "$(readlink -f "$(command -v "$cmd")")" 2>/dev/null || dpkg -S "/bin/$cmd" 2>/dev/null)
        [ "$(dpkg-query -W -f='${Essential}' "$(cut -d: -f1 <<<"$owner")" 2>/dev/null)" = yes ] ||
            fault "$cmd is marked essential but its package is not"
        continue
    fi
    grep -qx "$pkg" <<<"$installed_list" || fault "$cmd: package $pkg is not in tools/install-deps.sh"
    path=$(command -v "$cmd") || { fault "$cmd: not on PATH (package $pkg)"; continue; }
    owner=$(dpkg -S "$path" 2>/dev/null | cut -d: -f1)
    [ -n "$owner" ] || owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | cut -d: -f1)
    if [ -z "$owner" ]; then
        echo "check-deps: note: $cmd at $path is not from a Debian package here; the table says $pkg"
        [ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" = "install ok installed" ] ||
            fault "$cmd: package $pkg is not installed"
        continue
    fi
    [ "$owner" = "$pkg" ] || [ "$owner" = "${holder:-}" ] ||
        fault "$cmd comes from package $owner, but tools/commands.txt says $pkg${holder:+ ($holder)}"
done <"$table"
if [ $faults -gt 0 ]; then
    echo "check-deps: $faults fault(s)"
    exit 1
fi
echo "check-deps: every command comes from a package that tools/install-deps.sh installs"
