#!/usr/bin/env bash
# Runs every fuzz target built in BUILD_DIR on its seed corpus (and its dictionary, when
# fuzz/dictionaries/<name>.dict exists) for SECONDS each.
# Usage: fuzz/run-fuzzers.sh BUILD_DIR SECONDS
# Fails when a target crashes, hangs or trips a sanitizer; the input that did it is kept in
# BUILD_DIR/fuzz/artifacts/<name>/. New inputs go to a scratch copy: the corpus in the tree stays.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
# Absolute: the targets may change their working folder.
build=$(cd "$1" && pwd)
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)

status=0
found=0
for executable in "$build"/fuzz/fuzz_*; do
  [ -f "$executable" ] && [ -x "$executable" ] || continue
  found=$((found + 1))
  name=$(basename "$executable")
  name=${name#fuzz_}
  artifacts="$build/fuzz/artifacts/$name/"
  mkdir -p "$artifacts"
  work=$(mktemp -d)
  if [ -d "$here/corpus/$name" ]; then
    cp -R "$here/corpus/$name/." "$work/"
  fi
  options=()
  if [ -f "$here/dictionaries/$name.dict" ]; then
    options+=("-dict=$here/dictionaries/$name.dict")
  fi
  echo "== fuzz_$name for $seconds s"
  # Font caches live as long as the process: lsan.supp names them, every other leak fails the run.
  if ! QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0" \
      "$executable" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "${options[@]}" "$work" 2>"$work.log"; then
    tail -n 60 "$work.log" >&2
    echo "!! fuzz_$name failed; the input is in $artifacts" >&2
    status=1
  else
    grep -E "stat::number_of_executed_units|Done " "$work.log" || true
  fi
  rm -rf "$work" "$work.log"
done

if [ "$found" -eq 0 ]; then
  echo "no fuzz targets in $build/fuzz (configure with -DKELVO_FUZZ=ON and clang)" >&2
  exit 1
fi
exit $status
