#!/usr/bin/env bash
# The generated man page of velactl carries its version and an entry for every command its --help lists.
# Usage: man_page.sh VELACTL PAGE
set -euo pipefail
velactl=$1
page=$2
[ -s "$page" ] || { echo "man page $page is missing or empty"; exit 1; }
version=$("$velactl" --version)
grep -q "^\.TH VELACTL \"1\" .*\"$version\"" "$page" || { echo "the page is not of $version"; exit 1; }
# The help is read whole first: awk leaves early, which would cut velactl off with SIGPIPE under pipefail.
help=$("$velactl" --help)
commands=$(awk '/^Commands:/ { listing = 1; next } listing && /^$/ { exit }
    listing && /^  [a-z]/ { print $1 }' <<<"$help" | sort -u)
[ "$(wc -w <<<"$commands")" -ge 10 ] || { echo "velactl --help lists too few commands: $commands"; exit 1; }
missing=0
for command in $commands; do
    # help2man turns each command line of the help into a tagged paragraph that starts with the command.
    grep -Eq "^${command}( |$)" "$page" || { echo "the man page has no entry for $command"; missing=1; }
done
[ $missing -eq 0 ] && echo "man page: $(wc -w <<<"$commands") commands, all present"
