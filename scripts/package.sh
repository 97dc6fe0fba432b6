#!/usr/bin/env bash
# scripts/package.sh          builds the Debian package qm3270_VERSION-1_ARCH.deb in the
#                             top folder (compiled in build-package/ with Debian's flags)
# scripts/package.sh --check  builds it and checks it: lintian finds no error or warning,
#                             it holds exactly the files of tests/package/installed-files.txt,
#                             and its programs run from a scratch root
# Needs the packages of scripts/install-deps.sh (scripts/dev.sh package installs them first).
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case "${1:-}" in
    "") ;;
    --check) check=true ;;
    *) echo "usage: scripts/package.sh [--check]" >&2; exit 1 ;;
esac

build="build-package"
# The hardening and optimisation flags that Debian's own packages are built with,
# all hardening included (bind-now too).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM3270_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >/dev/null
debs=("$build"/packages/qm3270_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package: cpack made no single .deb" >&2
    exit 1
fi
rm -f qm3270_*.deb
cp "${debs[0]}" .
deb=$(basename "${debs[0]}")
echo "package: built $deb"
$check || exit 0

failed=false
fail() {
    echo "package: $*" >&2
    failed=true
}

echo "package: $(dpkg-deb -f "$deb" Depends | sed 's/^/Depends: /')"
echo "package: $(dpkg-deb -f "$deb" Recommends | sed 's/^/Recommends: /')"

# The file list, against the one `cmake --install` is tested with.
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./|/|' | sort)
expected=$(grep -v '^#' tests/package/installed-files.txt | sort)
difference=$(diff <(echo "$expected") <(echo "$listed") |
    sed -n -e 's/^< /not in the package: /p' -e 's/^> /not in installed-files.txt: /p' || true)
[ -z "$difference" ] || fail "file list: $difference"

# lintian: the output is shown in full; errors and warnings fail the check.
echo "package: lintian $deb"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"

# The programs as installed, from a scratch root: Qt comes from the system, so
# they run as they are.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
for program in qm3270 qm3270-cli qm3270-radio; do
    out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version) ||
        fail "$program --version failed"
    echo "package: $program --version: $out"
    [ "$out" = "$program ${version%-*}" ] || fail "$program --version says '$out', not ${version%-*}"
done
"$root/usr/bin/qm3270-cli" show samples/sample.doc || fail "qm3270-cli show samples/sample.doc failed"

# The menu entry, its icons and the AppStream metadata as one installed tree.
LC_ALL=C.UTF-8 appstreamcli validate-tree --pedantic --no-net "$root" ||
    fail "appstreamcli validate-tree found problems"

$failed && exit 1
echo "package: $deb passed its checks"
