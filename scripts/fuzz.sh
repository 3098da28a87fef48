#!/usr/bin/env bash
# Builds the libFuzzer targets of the parsers (clang, ASan + UBSan) and runs
# each for a while:
#   scripts/fuzz.sh [SECONDS [NAME...]]     default: 60 s each, every target
# Seeds come from tests/fuzz/corpus/NAME; what a run learns is kept in
# build/fuzz/corpus/NAME (not in the repository), a finding is saved to
# build/fuzz/findings/NAME/ and makes the script fail.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}/fuzz
seconds=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
clang=$(command -v clang++-14 || command -v clang++) || { echo "fuzz: clang++ is missing" >&2; exit 1; }
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$clang" \
  -DCMAKE_C_COMPILER="${clang%++*}${clang##*++}" -DVANTREL_BUILD_FUZZERS=ON -DVANTREL_BUILD_TESTS=OFF \
  "${launcher[@]}" >/dev/null || exit 1
cmake --build "$build" -j "$(nproc)" >/dev/null || { cmake --build "$build" -j 1; exit 1; }

names=("$@")
if [ ${#names[@]} = 0 ]; then
  for exe in "$build"/bin/fuzz_*; do names+=("${exe##*/fuzz_}"); done
fi
status=0
for name in "${names[@]}"; do
  exe=$build/bin/fuzz_$name
  [ -x "$exe" ] || { echo "fuzz: no target $name" >&2; status=1; continue; }
  corpus=$build/corpus/$name findings=$build/findings/$name
  mkdir -p "$corpus" "$findings"
  seeds=()
  [ -d "$root/tests/fuzz/corpus/$name" ] && seeds=("$root/tests/fuzz/corpus/$name")
  log=$build/$name.log
  "$exe" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ $rc = 0 ]; then
    echo "fuzz $name: ${runs:-?} inputs in ${seconds} s, no finding (corpus $(ls "$corpus" | wc -l) inputs)"
  else
    status=1
    echo "fuzz $name: FINDING (exit $rc) - $(ls -t "$findings" | head -1 | sed "s|^|$findings/|")"
    grep -m 8 -E 'ERROR: |SUMMARY|property failed|#[0-9]+ 0x.* in [^ ]*(vantrel|LLVMFuzzerTestOneInput)' "$log" |
      sed -E 's/ \(BuildId: [0-9a-f]+\)//; s/^/  /'
    echo "  log: $log"
  fi
done
exit $status
