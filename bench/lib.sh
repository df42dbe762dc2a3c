# Sourced by the bench scripts that pack a corpus: the Release build of zuv and of the corpus
# and timing helper, and a scratch folder.
#
# After sourcing: $root (the source tree), $build (ZUV_BENCH_BUILD, default build/bench,
# configured here in Release, -O2, when missing), $zuv and $helper (both built up to date).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZUV_BENCH_BUILD:-$root/build/bench}

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  generator=(); command -v ninja >/dev/null && generator=(-G Ninja)
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DZUV_BENCH=ON -DZUV_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target zuv zuv_set_overhead >/dev/null
zuv=$build/zuv
helper=$build/bench/zuv_set_overhead

# bench_work NAME: makes the scratch folder $work (/tmp/NAME.XXXXXX), removed when the script ends.
bench_work() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

# bench_corpus DIR MB: writes the deterministic mixed corpus of MB megabytes into DIR afresh
# (text, machine-code-like binary, picture-like runs, incompressible files and blocks, a few
# large files and many small ones).
bench_corpus() {
  rm -rf "$1"
  "$helper" corpus "$1" "$2" >/dev/null
}
