# The optimised halvora-sim the benchmarks measure: a Release build in build/bench.
# Sourced by bench/apply_bench.sh and bench/real_apply_bench.sh, after scripts/lib/errors.sh.

# GCC 12 at -O3 warns about array bounds and copy sizes inside the standard library's and
# nlohmann-json's inlined code (std::map in the JSON reader, std::string copies in the partition
# table reader) that the Debug and sanitizer builds never see, and the project builds with
# -Werror; these two stay warnings here so that the benchmark measures the sources the tests build.
bench_warning_flags="-Wno-error=array-bounds -Wno-error=stringop-overflow"

build_bench_sim() {
  echo "Building halvora-sim (Release) in build/bench"
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVORA_BACKEND=sim \
    "-DCMAKE_CXX_FLAGS=$bench_warning_flags" >/dev/null || die "configuring build/bench failed"
  cmake --build build/bench -j "${HALVORA_JOBS:-2}" --target halvora-sim >/dev/null ||
    die "building halvora-sim in build/bench failed"
}
