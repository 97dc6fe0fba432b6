#!/usr/bin/env bash
# Every long option a program prints in its --help must be in its manual page.
# qm3270-cli's page has a section (.SS NAME) for each command that its --help
# lists, and each option of `qm3270-cli NAME --help` must be in that section.
# Usage: man_options.sh MAN_DIR PROGRAM...   (qm3270-cli is told by its name)
set -euo pipefail
man_dir=$1
shift
status=0

complain() {
    echo "$*" >&2
    status=1
}

# The page as a reader sees it: troff's minus signs and font changes taken out.
page_text() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"; }

long_options() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u || true; }

# check WHERE TEXT OPTION...: each OPTION must occur in TEXT as a whole word.
check() {
    local where=$1 text=$2 option
    shift 2
    for option in "$@"; do
        grep -qE -- "(^|[^a-z0-9-])${option}([^a-z0-9-]|\$)" <<<"$text" ||
            complain "$where: $option is missing from the manual page"
    done
}

# The lines of section `.SS NAME` of a page's text, up to the next heading.
section() {
    awk -v name="$2" '
        /^\.S[SH]/ { heading = $0; sub(/^\.S[SH] +/, "", heading); gsub(/"/, "", heading)
                     inside = ($1 == ".SS" && heading == name); next }
        inside' <<<"$1"
}

for program in "$@"; do
    name=$(basename "$program")
    page=$man_dir/$name.1
    if [ ! -f "$page" ]; then
        complain "$name: no manual page $page"
        continue
    fi
    text=$(page_text "$page")
    help=$("$program" --help)
    mapfile -t options < <(long_options <<<"$help")
    check "$name --help" "$text" "${options[@]}"

    [ "$name" = qm3270-cli ] || continue
    mapfile -t commands < <(sed -n '/^Commands:/,/^$/p' <<<"$help" |
        sed -nE 's/^  ([a-z][a-z0-9-]*)  .*/\1/p')
    [ ${#commands[@]} -gt 0 ] || complain "$name --help lists no commands"
    for command in "${commands[@]}"; do
        body=$(section "$text" "$command")
        if [ -z "$body" ]; then
            complain "$name $command: no section '.SS $command' in $page"
            continue
        fi
        # --help and --help-all belong to every command; the page says so once.
        mapfile -t options < <("$program" "$command" --help | long_options |
            grep -vxE -- '--help|--help-all' || true)
        check "$name $command --help" "$body" "${options[@]}"
    done
done
exit $status
