#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each over its seed corpus for a
# bounded time. Any crash, sanitizer report, leak or timeout fails the run;
# the input that caused it is left in build-fuzz/findings/.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 20 s, all targets)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(entry_parser log_lines settings date_pictures)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLOGNEX_SANITIZE=ON -DLOGNEX_BUILD_FUZZ=ON -DLOGNEX_BUILD_APP=OFF -DLOGNEX_BUILD_TESTS=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target "${targets[@]/%/_fuzz}"

mkdir -p build-fuzz/findings
status=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus; the seeds in the repository stay as they are.
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  echo "fuzz: $target for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "build-fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/${target}-" \
      "$work" "fuzz/corpus/$target" > "build-fuzz/findings/$target.log" 2>&1; then
    echo "fuzz: $target FOUND A FAULT; see build-fuzz/findings/$target.log" >&2
    tail -n 40 "build-fuzz/findings/$target.log" >&2
    status=1
  else
    grep -E '^stat::number_of_executed_runs|^#[0-9]+.*DONE' "build-fuzz/findings/$target.log" | tail -n 2 || true
  fi
done
exit $status
