// Throughput of the status line parser, in lines per second, over the kinds of line a UPS
// sends: conforming, with noise before "(", without temperature, and a reply that fails.
#include <benchmark/benchmark.h>

#include <string_view>

#include "link/status_line.h"

namespace {

constexpr std::string_view kLines[] = {
    "(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001",
    "\x13\xfe(215.0 140.0 229.0 047 49.9 12.1 31.5 10001000",
    "(230.0 230.0 229.0 012 50.0 13.6 --.- 00000001",
    "(230.0 230.0 229.0 012 50.0 13.6 25.0 0000100",
};

void BM_ParseStatusLine(benchmark::State& state) {
  ups_link::UpsStatus status;
  std::string_view raw;
  std::size_t next = 0;
  for (auto _ : state) {
    const bool parsed = ups_link::parse_status_line(kLines[next], status, raw);
    benchmark::DoNotOptimize(parsed);
    benchmark::DoNotOptimize(status);
    next = (next + 1) % std::size(kLines);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseStatusLine);

}  // namespace

BENCHMARK_MAIN();
