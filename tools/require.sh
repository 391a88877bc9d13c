# Sourced: checks that commands are on PATH before a script relies on them, naming the package that brings
# each missing one (from tools/commands.txt), so a missing install step fails in one clear line.
vela_commands_file="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/commands.txt"

# The package that brings command $1, or nothing when the table does not list it.
vela_package_of() {
    awk -v c="$1" '$1 == c && $1 !~ /^#/ { print $2; exit }' "$vela_commands_file"
}

# vela_require CMD...: returns 1 after one line per missing command.
vela_require() {
    local missing=0 c pkg
    for c in "$@"; do
        command -v "$c" >/dev/null 2>&1 && continue
        pkg=$(vela_package_of "$c")
        echo "missing command: $c ${pkg:+(Debian package $pkg; tools/install-deps.sh installs it)}${pkg:-(not listed in tools/commands.txt)}" >&2
        missing=1
    done
    return $missing
}

# Every command of the table.
vela_require_all() {
    # shellcheck disable=SC2046
    vela_require $(awk '$1 !~ /^#/ && NF { print $1 }' "$vela_commands_file")
}
