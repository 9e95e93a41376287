#!/usr/bin/env bash
# Runs each fuzz target for a bounded time and fails on any finding.
#
#   fuzz/run.sh BUILD_DIR [SECONDS]
#
# BUILD_DIR holds bitmap_fuzzer and job_fuzzer (a build with QUENDRIX_FUZZ=ON).
# The committed seeds are read, never written: new inputs go to a scratch
# corpus. A crash, a leak, a sanitizer report, an input that runs longer than
# 10 s or an allocation beyond the limit stops the run; the input is kept as
# BUILD_DIR/findings/<target>-... and the script fails. Make such an input a
# regression test with a small fixture.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS]}" && pwd)"
seconds="${2:-60}"
findings="$build/findings"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/quendrix-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$findings"

# The inputs are at most a few bitmaps of a few kilobytes, whose pictures
# need well under the 16 MB a single allocation may take (an encoded picture
# decodes to at most 4 MiB when its data is small).
limits=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=16
        -print_final_stats=1)

run() {
  local target="$1"; shift
  mkdir -p "$scratch/$target"
  echo "== $target: $seconds s"
  # The first corpus directory is the one libFuzzer writes to.
  "$build/${target}_fuzzer" "${limits[@]}" -artifact_prefix="$findings/$target-" \
    "$scratch/$target" "$@" 2>&1 | sed '/# Uses: /d; /recommended dictionary/d' | tail -n 25
}

run bitmap -max_len=10000 "$root/fuzz/corpus/bitmap" "$root/tests/data"
run job -max_len=24000 -dict="$root/fuzz/job.dict" "$root/fuzz/corpus/job"
echo "== no findings"
