#!/usr/bin/env bash
# Checks of the files that install with the programs. Exit status 77 (a skip)
# when the checking tool is missing; scripts/install-deps.sh installs them all.
#   data_checks.sh desktop FILE          desktop-file-validate has nothing to say
#   data_checks.sh metainfo FILE         appstreamcli validate --pedantic has nothing to say
#   data_checks.sh man DIR               every page in DIR renders without a warning
#   data_checks.sh icon SVG PNG          PNG is what the SVG renders to at 48 × 48
#   data_checks.sh versions VERSION DATA_DIR
#                                        the changelog, the metainfo and the pages are of
#                                        this version (the changelog's date is the release's)
#   data_checks.sh tree BUILD_DIR LIST   `cmake --install` puts exactly LIST's files in place
set -euo pipefail
what=$1
shift

need() {
    command -v "$1" >/dev/null || {
        echo "skipped: $1 is not installed (package $2; scripts/install-deps.sh installs it)"
        exit 77
    }
}

# fail_unless_empty WHAT OUTPUT
fail_unless_empty() {
    [ -z "$2" ] && return 0
    printf '%s:\n%s\n' "$1" "$2" >&2
    exit 1
}

case "$what" in
desktop)
    need desktop-file-validate desktop-file-utils
    # The one hint left is the validator's wish for Network or Audio beside
    # HamRadio; the program belongs in Utility, and a second main category
    # would list it twice in the menu.
    out=$(desktop-file-validate "$1" 2>&1) || { echo "$out" >&2; exit 1; }
    out=$(grep -vF 'value item "HamRadio" in key "Categories" in group "Desktop Entry" can be extended with another category among the following categories: Network, or Audio' <<<"$out" || true)
    fail_unless_empty "desktop-file-validate $1" "$out"
    ;;
metainfo)
    need appstreamcli appstream
    out=$(LC_ALL=C.UTF-8 appstreamcli validate --pedantic --no-net --explain "$1" 2>&1) || {
        echo "$out" >&2
        exit 1
    }
    out=$(grep -v 'Validation was successful' <<<"$out" || true)
    # AppStream 1.0 wants the developer's name in a <developer> block; before
    # 1.0 that block was unknown, which 0.16 (Debian 12) notes, with its
    # explanation, and is otherwise content with.
    if appstreamcli --version | grep -q 'version: 0\.'; then
        out=$(awk '/^[A-Z]: / { skip = / unknown-tag developer$/ } !skip' <<<"$out" | grep -v '^$' || true)
    fi
    fail_unless_empty "appstreamcli validate $1" "$out"
    ;;
man)
    need man man-db
    for page in "$1"/*.1; do
        # How lintian reads a page: every groff warning counts.
        out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
        fail_unless_empty "man $page" "$out"
    done
    ;;
icon)
    need rsvg-convert librsvg2-bin
    rsvg-convert -w 48 -h 48 "$1" | cmp -s - "$2" || {
        echo "$2 is not what $1 renders to; run: rsvg-convert -w 48 -h 48 $1 -o $2" >&2
        exit 1
    }
    ;;
versions)
    version=$1 data=$2
    changelog=$(head -1 "$data/debian/changelog")
    [[ "$changelog" == "qm3270 ($version-"* ]] ||
        { echo "$data/debian/changelog starts with '$changelog', not version $version" >&2; exit 1; }
    release=$(grep -m1 -oE '<release version="[^"]*" date="[^"]*"' "$data"/*.metainfo.xml)
    date=$(date -u -d "$(sed -nE 's/^ -- .*>  (.*)$/\1/p' "$data/debian/changelog" | head -1)" +%F)
    [ "$release" = "<release version=\"$version\" date=\"$date\"" ] ||
        { echo "the metainfo's newest release is '$release', not $version of $date" >&2; exit 1; }
    for page in "$data"/man/*.1; do
        grep -q "^\.TH .* \"qm3270 $version\"" "$page" ||
            { echo "$page: its .TH line does not name qm3270 $version" >&2; exit 1; }
    done
    ;;
tree)
    build=$1 list=$2
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    cmake --install "$build" --prefix "$root/prefix" >/dev/null
    installed=$(cd "$root/prefix" && find . ! -type d | sed 's|^\./||' | sort)
    expected=$(grep -v '^#' "$list" | sed 's|^/usr/||' | sort)
    out=$(diff <(echo "$expected") <(echo "$installed") |
        sed -n -e 's/^< /not installed: /p' -e 's/^> /not in the list: /p' || true)
    fail_unless_empty "cmake --install compared with $list" "$out"
    ;;
*)
    echo "data_checks.sh: unknown check '$what'" >&2
    exit 2
    ;;
esac
