#!/usr/bin/env bash
# The build must fail on a library that uses another without linking it: a
# small project with the build's own link rules (cmake/NorvaneLinks.cmake)
# and a planted library whose code calls one it does not declare fails to
# link links_<library>, naming the missing symbol, and builds once the link
# is declared.
# Usage: planted_missing_link.sh REPO_ROOT CMAKE
set -euo pipefail
root="$1"; cmake="$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/src"
printf 'int LowValue() { return 7; }\n' > "$tmp/src/low.cpp"
printf 'int LowValue();\nint HighValue() { return LowValue() + 1; }\n' > "$tmp/src/high.cpp"
project() {
  cat > "$tmp/src/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(planted LANGUAGES CXX)
add_library(norvane_low STATIC low.cpp)
add_library(norvane_high STATIC high.cpp)
$1
include($root/cmake/NorvaneLinks.cmake)
CMAKE
  rm -rf "$tmp/build"
  "$cmake" -S "$tmp/src" -B "$tmp/build" -G Ninja > "$tmp/configure.log" 2>&1 ||
    { echo "configure failed:"; cat "$tmp/configure.log"; exit 1; }
}
project ""
if "$cmake" --build "$tmp/build" > "$tmp/out1" 2>&1; then
  echo "the planted undeclared link was built:"; cat "$tmp/out1"; exit 1
fi
grep -q "FAILED: links/links_norvane_high" "$tmp/out1" && grep -q "undefined reference to .LowValue()" "$tmp/out1" ||
  { echo "unexpected failure:"; cat "$tmp/out1"; exit 1; }
echo "planted undeclared link caught: $(grep -m1 'undefined reference' "$tmp/out1")"
project "target_link_libraries(norvane_high PUBLIC norvane_low)"
if ! "$cmake" --build "$tmp/build" > "$tmp/out2" 2>&1; then
  echo "the declared link was refused:"; cat "$tmp/out2"; exit 1
fi
grep -q "^norvane_high		norvane_low$" "$tmp/build/norvane-links.txt" ||
  { echo "links file:"; cat "$tmp/build/norvane-links.txt"; exit 1; }
echo "declared link builds and is written: $(grep '^norvane_high' "$tmp/build/norvane-links.txt")"
