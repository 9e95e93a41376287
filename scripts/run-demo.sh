#!/usr/bin/env bash
# Runs the demo job of examples/demo in a scratch copy, never in the source tree.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-build}" && pwd)"
job="$(mktemp -d "${TMPDIR:-/tmp}/quendrix-demo.XXXXXX")"
cp -R "$root/examples/demo/." "$job/"
cd "$job"
echo "Running the demo job in $job"
"$build/quendrix"
if [ -f Image.img ]; then
  echo "Wrote $job/Image.img ($(wc -c < Image.img | tr -d ' ') bytes)"
else
  echo "No Image.img was written" >&2
  exit 1
fi
