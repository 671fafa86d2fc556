#!/usr/bin/env bash
# Builds the fuzz targets with clang in $FUZZ_BUILD_DIR and runs each for $FUZZ_SECONDS seconds.
#   run-fuzzers.sh [TARGET...]     (default: every target in fuzz/CMakeLists.txt)
# Each target starts from its seeds in fuzz/corpus/TARGET/ and from the repository's sample files; what
# it learns is kept in $FUZZ_BUILD_DIR/corpus/TARGET/ for the next run. A crash, a hang, a failed check
# or a sanitizer report fails the script; the input is saved as $FUZZ_BUILD_DIR/artifacts/TARGET-*.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVITRIMO_BUILD_FUZZERS=ON -DVITRIMO_BUILD_TESTS=OFF -DVITRIMO_BUILD_BENCH=OFF \
    -DVITRIMO_BUILD_GUI=OFF >/dev/null
# Absolute paths: a target may change its working folder (cli_options runs in a scratch folder).
build=$(cd "$build" && pwd)
seeds=$PWD/fuzz/corpus
mapfile -t all <"$build/fuzz/targets.txt"
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

# Seeds from the samples and test data that live in the repository, besides fuzz/corpus/TARGET.
extra_seeds() {
    case "$1" in
    lens_file) ls "$PWD"/data/Lens/*.ldt ;;
    glass_catalogue) ls "$PWD"/data/{Sumita,Ohara,Hoya,Schott}.txt ;;
    rgb_table) ls "$PWD"/data/RGBtable.txt ;;
    zmx_import) ls "$PWD"/tests/exchange/data/*.zmx ;;
    esac
}

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p "$build/artifacts"
summary=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    while read -r seed; do [ -n "$seed" ] && cp -f "$seed" "$work/"; done < <(extra_seeds "$target")
    log="$build/artifacts/$target.log"
    echo "== fuzz_$target: $seconds s"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$work" "$seeds/$target" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$target failed; the input is in $build/artifacts/" >&2
        exit 1
    fi
    runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)
    summary+=("fuzz_$target: ${runs:-no summary} (corpus $(ls "$work" | wc -l) inputs)")
done
printf '%s\n' "${summary[@]}"
