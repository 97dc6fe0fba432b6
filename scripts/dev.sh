#!/usr/bin/env bash
# scripts/dev.sh run                installs what is missing, builds, starts the program
# scripts/dev.sh test               installs what is missing, builds, runs every test (the quick suite)
# scripts/dev.sh package            installs what is missing, builds the .deb and checks it
# scripts/dev.sh check [PART ...]   the full check CI runs; the parts, all of them by default:
#   format   clang-format would change nothing
#   suite    the quick suite, as `test`
#   asan     a clang build with AddressSanitizer + UndefinedBehaviorSanitizer (build-fuzz/,
#            the `fuzz` preset) and the whole suite under it
#   tidy     clang-tidy (.clang-tidy) reports nothing over src/
#   fuzz     each fuzz target for FUZZ_SECONDS (60) without a finding
#   trixie   the quick suite, without a compiler warning, in a fresh Debian 13 root
#            (scripts/debian-root.sh; needs root)
#   package  last: the .deb is built and checked, as `package`
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

what=${1:-}
shift || true
all_parts=(format suite asan tidy fuzz trixie package)
case "$what" in
    run | test) ;;
    package) bash scripts/install-deps.sh && exec bash scripts/package.sh --check ;;
    check)
        parts=("$@")
        [ ${#parts[@]} -eq 0 ] && parts=("${all_parts[@]}")
        for part in "${parts[@]}"; do
            case " ${all_parts[*]} " in
                *" $part "*) ;;
                *) echo "dev.sh check: no part \"$part\" (parts: ${all_parts[*]})" >&2; exit 1 ;;
            esac
        done
        ;;
    *) echo "usage: scripts/dev.sh run|test [program arguments] | package | check [${all_parts[*]// /|}]..." >&2; exit 1 ;;
esac

jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

build_quick() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
    cmake --build build --parallel "$jobs"
}

if [ "$what" = run ]; then
    bash scripts/install-deps.sh
    build_quick
    exec build/src/app/qm3270 "$@"
fi
if [ "$what" = test ]; then
    bash scripts/install-deps.sh
    build_quick
    exec ctest --test-dir build --output-on-failure --timeout 600
fi

bash scripts/install-deps.sh check

# The sanitizer suite, clang-tidy and the fuzzers share one clang build folder.
fuzz_build=build-fuzz
configure_fuzz() {
    cmake --preset fuzz "${launcher[@]}" >/dev/null
}
# The sanitizers' settings of the tests (cmake/Sanitizers.cmake), for the fuzzers.
sanitizer_environment() {
    local name
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
        printf '%s=%s\n' "$name" "$(sed -n "s/^QM3270_${name}:INTERNAL=//p" "$fuzz_build/CMakeCache.txt")"
    done
}

part_format() {
    local files
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
    clang-format --dry-run --Werror "${files[@]}"
}

part_suite() {
    build_quick
    ctest --test-dir build --output-on-failure --timeout 600
}

part_asan() {
    configure_fuzz
    cmake --build "$fuzz_build" --parallel "$jobs"
    ctest --test-dir "$fuzz_build" --output-on-failure --timeout 900
}

part_tidy() {
    configure_fuzz
    # Headers count where this project's own code is: src/ and the per-folder
    # include links of the build (cmake/Layering.cmake).
    # Only the findings are shown, not each file's command and warning count.
    local status
    run-clang-tidy -p "$fuzz_build" -j "$jobs" -quiet \
        -header-filter="^$root/(src|$fuzz_build/include)/" "^$root/src/.*\\.cpp\$" 2>&1 |
        { grep -vP '^clang-tidy(-\d+)? |^(\x1b\[[\d;]*m)*\d+ warnings? generated\.$' || true; }
    status=${PIPESTATUS[0]}
    return "$status"
}

part_fuzz() {
    configure_fuzz
    cmake --build "$fuzz_build" --parallel "$jobs" --target fuzzers
    local seconds=${FUZZ_SECONDS:-60} source name log status=0
    local -a environment
    mapfile -t environment < <(sanitizer_environment)
    mkdir -p "$fuzz_build/fuzz/findings"
    for source in fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        name=${name#fuzz_}
        log=$fuzz_build/fuzz/$name.log
        # New inputs go to the build's corpus; the seeds in the tree stay as they are.
        mkdir -p "$fuzz_build/fuzz/corpus/$name"
        echo "fuzz: $name for $seconds s" >&2
        if env "${environment[@]}" "$fuzz_build/fuzz/fuzz_$name" -max_total_time="$seconds" \
            -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$fuzz_build/fuzz/findings/$name-" \
            "$fuzz_build/fuzz/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1; then
            grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$log" | tail -n 2 >&2
        else
            tail -n 60 "$log" >&2
            echo "fuzz: $name found something: the input is in $fuzz_build/fuzz/findings/, the log in $log" >&2
            status=1
        fi
    done
    return $status
}

# What a new user on Debian 13 gets: `scripts/dev.sh test` in a fresh root.
part_trixie() {
    bash scripts/debian-root.sh trixie
}

# The final step: the packaging check (scripts/package.sh, as `scripts/dev.sh package`).
part_package() {
    bash scripts/package.sh --check
}

summary=()
for part in "${parts[@]}"; do
    echo "=== check: $part" >&2
    started=$SECONDS
    if ! "part_$part"; then
        echo "=== check: $part FAILED after $((SECONDS - started)) s" >&2
        exit 1
    fi
    summary+=("$part $((SECONDS - started)) s")
done
echo "=== check passed: $(IFS=,; echo "${summary[*]}" | sed 's/,/, /g')" >&2
