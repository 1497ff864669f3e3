#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer + UndefinedBehavior-
# Sanitizer) and runs them, one after the other.
#
#   bash scripts/fuzz.sh [SECONDS] [HARNESS...]
#       Each harness for SECONDS seconds (default 60) on a fresh copy of its
#       committed seed corpus, so that a run never grows the repository.
#
#   bash scripts/fuzz.sh --accumulate [SECONDS] [HARNESS...]
#       Each harness for SECONDS seconds (default 600) on a copy of its corpus,
#       then libFuzzer's merge adds to fuzz/corpus/<harness>/ only inputs that
#       reach code (edges) the corpus did not, the smaller first and no more
#       than needed; they are named by the SHA1 of their content, to be
#       committed.
#
# The harnesses are scorepass, resume, settings, tables, cp932 and numbers
# (all by default); resume takes the dictionary of scorepass. The random
# seed of libFuzzer is NORVA_FUZZ_SEED or the value of
# --seed N when given, the same for every harness; otherwise each harness gets
# a fresh one. The table shows the seed, so a run can be repeated: CI derives
# it from the commit. Inputs that fail are kept in fuzz-out/ (with each
# harness's log); the script then exits with 1.
set -euo pipefail
cd "$(dirname "$0")/.."

all=(scorepass resume settings tables cp932 numbers)
accumulate=0
seed=${NORVA_FUZZ_SEED:-}
while (($#)); do
    case $1 in
    --accumulate) accumulate=1 ;;
    --seed) seed=${2:?--seed needs a number}; shift ;;
    --seed=*) seed=${1#--seed=} ;;
    -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
    shift
done
if [ -n "$seed" ] && ! [[ $seed =~ ^[1-9][0-9]{0,9}$ && $seed -le 4294967295 ]]; then
    # libFuzzer takes an unsigned 32-bit seed; 0 would mean "pick one" and go unreported.
    echo "fuzz.sh: the seed must be a number from 1 to 4294967295, not '$seed'" >&2
    exit 2
fi
seconds=${1:-$((accumulate ? 600 : 60))}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds == 0)); then
    echo "fuzz.sh: SECONDS must be a positive number, not '$seconds'" >&2
    exit 2
fi
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
    harnesses=("${all[@]}")
fi
for h in "${harnesses[@]}"; do
    if [[ " ${all[*]} " != *" $h "* ]]; then
        echo "fuzz.sh: no harness '$h' (${all[*]})" >&2
        exit 2
    fi
done

freshSeed() {
    echo $(($(od -An -N4 -tu4 /dev/urandom) % 2147483647 + 1))
}

build=build-fuzz
mkdir -p "$build"
# Runs for different harnesses may go side by side; one of them builds at a time.
exec 9>"$build/.fuzz-build-lock"
command -v flock >/dev/null && flock 9
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DNORVA_FUZZ=ON -DNORVA_GUI=OFF -DNORVA_TESTS=OFF -DNORVA_BENCH=OFF >/dev/null
cmake --build "$build" -j "${NORVA_JOBS:-2}"
exec 9>&-

work=$(mktemp -d "${TMPDIR:-/tmp}/norva-fuzz-run-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p fuzz-out

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

count() { find "$1" -maxdepth 1 -type f | wc -l; }

failed=0
if ((accumulate)); then
    printf '%-10s %10s %10s %14s %7s %7s  %s\n' harness seed exec/s runs before after result
else
    printf '%-10s %10s %10s %14s %7s  %s\n' harness seed exec/s runs corpus result
fi
for h in "${harnesses[@]}"; do
    corpus="$work/$h"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$h"/* "$corpus"/
    s=${seed:-$(freshSeed)}
    common=(-timeout=10 -rss_limit_mb=2048)
    args=("$corpus" -seed="$s" -max_total_time="$seconds" "${common[@]}"
          -print_final_stats=1 -artifact_prefix="fuzz-out/$h-")
    dict=fuzz/$h.dict
    [ "$h" = resume ] && dict=fuzz/scorepass.dict
    [ -f "$dict" ] && args+=(-dict="$dict")
    log="fuzz-out/$h.log"
    result=ok
    # The seed first: it is in the table while the harness runs.
    printf '%-10s %10s ' "$h" "$s"
    if ! "$build/bin/fuzz_$h" "${args[@]}" >"$log" 2>&1; then
        result="FAILED (see $log)"
        failed=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if ((accumulate)); then
        # Every input left in the working copy passed the check, also when the
        # run stopped on a failing one, so the merge goes ahead either way. It
        # weighs code reached, not how often (-use_counters=0): with the hit
        # counts it keeps about ten times as many inputs for the same code, and
        # tst_fuzz_regressions replays every one of them.
        before=$(count "fuzz/corpus/$h")
        merge="fuzz-out/$h-merge.log"
        if ! "$build/bin/fuzz_$h" -merge=1 -use_counters=0 "${common[@]}" "fuzz/corpus/$h" "$corpus" \
            >"$merge" 2>&1; then
            result="MERGE FAILED (see $merge)"
            failed=1
        fi
        after=$(count "fuzz/corpus/$h")
        printf '%10s %14s %7s %7s  %s\n' "${rate:--}" "${runs:--}" "$before" "$after" "$result"
    else
        printf '%10s %14s %7s  %s\n' "${rate:--}" "${runs:--}" "$(count "$corpus")" "$result"
    fi
done
exit $failed
