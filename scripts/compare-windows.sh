#!/usr/bin/env bash
# Runs every job of tests/jobs with the Linux program and with the Windows
# program under Wine, each in its own scratch copy of the job, and requires
# the same results: the same Image.img bytes (or no Image.img from either), the
# same messages on standard error, the same files left in the job directory,
# and exit code 0.
#
#   scripts/compare-windows.sh [LINUX_BUILD_DIR] [WINDOWS_BUILD_DIR]
#
# Defaults: build and build-windows. Wine runs without a display, so the
# Windows program cannot show its message boxes and writes the messages to
# standard error in the form the Linux program uses. Paths in the messages are
# compared with the job directory replaced by <job>.
#
# Wine plays a Japanese Windows (ANSI code page 932; it needs the Linux locale
# ja_JP.UTF-8), and the job files are what such a Windows holds: Tavik.cmd and
# the definition files are code page 932 text. Non-ASCII file names are kept
# in UTF-8 in the source tree, which is how Wine stores the names of a
# Japanese Windows; in the Linux program's copy they are renamed to their
# code page 932 bytes, the bytes the definition files hold.
#
# tests/jobs/expected.tsv says for each job whether it leaves an Image.img and
# how many messages it gives, so that two programs failing alike do not pass.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
linux_build="$(cd "${1:-$root/build}" && pwd)"
windows_build="$(cd "${2:-$root/build-windows}" && pwd)"
linux_exe="$linux_build/quendrix"
windows_exe="$windows_build/quendrix.exe"
prefix="$windows_build/wine-prefix"
jobs="$root/tests/jobs"

for program in "$linux_exe" "$windows_exe"; do
  [ -f "$program" ] || { echo "missing: $program (build it first)" >&2; exit 1; }
done

failures=0
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}

# The Windows program: a GUI-subsystem PE file that needs no MinGW DLL.
if command -v x86_64-w64-mingw32-objdump >/dev/null; then
  headers="$(x86_64-w64-mingw32-objdump -p "$windows_exe")"
  grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" ||
    fail quendrix.exe "not a GUI-subsystem program"
  dlls="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)"
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll | user32.dll | msvcrt.dll | advapi32.dll | api-ms-win-*) ;;
      *) fail quendrix.exe "needs $dll" ;;
    esac
  done
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "the locale ja_JP.UTF-8 is missing (Debian: apt-get install locales;" \
       "localedef -i ja_JP -f UTF-8 ja_JP.UTF-8)" >&2
  exit 1
fi

scratch="$(cd "$(mktemp -d "${TMPDIR:-/tmp}/quendrix-compare.XXXXXX")" && pwd -P)"
trap 'rm -rf "$scratch"' EXIT

# What a job directory holds after a run: names (in UTF-8) and kinds, sorted.
listing() {
  local names
  names="$(cd "$1" && find . -mindepth 1 -printf '%P %y\n')"
  if [ "$2" = linux ]; then names="$(iconv -f CP932 -t UTF-8 <<<"$names")"; fi
  LC_ALL=C sort <<<"$names"
}

# Renames the non-ASCII names below a directory to their code page 932 bytes,
# deepest first.
names_to_cp932() {
  local path dir name
  while IFS= read -r -d '' path; do
    dir="$(dirname "$path")"
    name="$(basename "$path")"
    mv "$path" "$dir/$(iconv -f UTF-8 -t CP932 <<<"$name")"
  done < <(find "$1" -mindepth 1 -depth -name '*[! -~]*' -print0)
}

# Standard error with the job directory, in its Linux or Wine form, as <job>.
normalize() {
  local dir="$1" windows_dir
  windows_dir="Z:${dir//\//\\}"
  sed -e "s|$(sed 's/[][\\.*^$|]/\\&/g' <<<"$dir")|<job>|g" \
      -e "s|$(sed 's/[][\\.*^$|]/\\&/g' <<<"$windows_dir")|<job>|g" \
      -e 's|<job>\\|<job>/|g'
}

jobs_run=0
jobs_passed=0
for job_dir in "$jobs"/*/; do
  job="$(basename "$job_dir")"
  jobs_run=$((jobs_run + 1))
  expected="$(awk -F'\t' -v j="$job" '$1 == j { print $2 " " $3 }' "$jobs/expected.tsv")"
  if [ -z "$expected" ]; then
    fail "$job" "no line in tests/jobs/expected.tsv"
    continue
  fi
  read -r expected_image expected_messages <<<"$expected"

  for side in linux windows; do
    mkdir -p "$scratch/$side"
    cp -R "$job_dir" "$scratch/$side/$job"
  done
  names_to_cp932 "$scratch/linux/$job"
  linux_rc=0
  (cd "$scratch/linux/$job" && "$linux_exe") \
    >"$scratch/linux.out" 2>"$scratch/linux.err" || linux_rc=$?
  windows_rc=0
  (cd "$scratch/windows/$job" &&
    LC_ALL=ja_JP.UTF-8 "$root/scripts/wine-run.sh" "$prefix" "$windows_exe") \
    >"$scratch/windows.out" 2>"$scratch/windows.err" || windows_rc=$?

  before=$failures
  [ "$linux_rc" -eq 0 ] || fail "$job" "Linux exit code $linux_rc"
  [ "$windows_rc" -eq 0 ] || fail "$job" "Windows exit code $windows_rc"
  [ ! -s "$scratch/linux.out" ] || fail "$job" "Linux wrote to standard output"
  [ ! -s "$scratch/windows.out" ] || fail "$job" "Windows wrote to standard output"

  normalize "$scratch/linux/$job" <"$scratch/linux.err" >"$scratch/linux.msg"
  normalize "$scratch/windows/$job" <"$scratch/windows.err" >"$scratch/windows.msg"
  if ! cmp -s "$scratch/linux.msg" "$scratch/windows.msg"; then
    fail "$job" "the messages differ (Linux <, Windows >):"
    diff "$scratch/linux.msg" "$scratch/windows.msg" | sed 's/^/    /' || true
  fi
  messages=$(wc -l <"$scratch/linux.msg")
  [ "$messages" -eq "$expected_messages" ] ||
    fail "$job" "$messages messages, expected $expected_messages"

  linux_image="$scratch/linux/$job/Image.img"
  windows_image="$scratch/windows/$job/Image.img"
  if [ -f "$linux_image" ] && [ -f "$windows_image" ]; then
    cmp -s "$linux_image" "$windows_image" || fail "$job" "Image.img differs"
    image="yes"
  elif [ -f "$linux_image" ] || [ -f "$windows_image" ]; then
    fail "$job" "only one of the programs wrote Image.img"
    image="one"
  else
    image="no"
  fi
  [ "$image" = "$expected_image" ] ||
    fail "$job" "Image.img written: $image, expected $expected_image"

  if [ "$(listing "$scratch/linux/$job" linux)" != "$(listing "$scratch/windows/$job" windows)" ]; then
    fail "$job" "the job directories differ afterwards (Linux <, Windows >):"
    diff <(listing "$scratch/linux/$job" linux) <(listing "$scratch/windows/$job" windows) |
      sed 's/^/    /' || true
  fi

  if [ "$failures" -eq "$before" ]; then
    jobs_passed=$((jobs_passed + 1))
    size=""
    [ -f "$linux_image" ] && size=", Image.img $(wc -c <"$linux_image" | tr -d ' ') bytes"
    echo "ok   $job: $messages messages$size"
  fi
done

[ "$jobs_run" -gt 0 ] || { echo "no job was run" >&2; exit 1; }
echo "compare-windows: $jobs_passed passed, $((jobs_run - jobs_passed)) failed"
[ "$failures" -eq 0 ]
