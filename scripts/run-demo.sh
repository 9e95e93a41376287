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

# A picture of what the file holds: the table of its pictures and a contact
# sheet beside it.
if [ -x "$build/quendrix-view" ]; then
  if ! "$build/quendrix-view" Image.img -o sheet.png; then
    echo "Image.img does not read back as the converter writes it" >&2
    exit 1
  fi
  echo "Wrote the contact sheet $job/sheet.png"
else
  echo "No contact sheet: $build/quendrix-view was not built"
fi
