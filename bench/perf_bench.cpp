// One collection of the performance provider: the object copied into the host's buffer with the
// nine values read from the shared block. The host's collection interval is a second or more;
// this shows what one call costs besides the system's own work.
#include <benchmark/benchmark.h>

#include <vector>

#include "perf/collect.h"
#include "perf/perf_image.h"

namespace {

ipc::UpsSharedBlock running_ups() {
  ipc::UpsSharedBlock block{};
  block.link_ok = 1;
  block.status.input_voltage = 229.9f;
  block.status.output_voltage = 230.1f;
  block.status.load_percent = 37;
  block.status.battery_voltage = 13.6f;
  block.status.temperature = 25.0f;
  block.status.status_bits = ups_link::STATUS_AVR;
  return block;
}

// `value_name` "Global" gets the full object, a costly query the object without counters.
void BM_Collect(benchmark::State& state, const char16_t* value_name) {
  const perf::PerfImage image = perf::prepare_image(1848, 1849);
  const ipc::UpsSharedBlock block = running_ups();
  std::vector<unsigned char> buffer(4096);
  benchmark::DoNotOptimize(&block);  // read anew in every call, as from the shared memory
  for (auto _ : state) {
    perf::CollectResult r = perf::collect_object(image, &block, value_name, buffer.data(), 4096);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
}
BENCHMARK_CAPTURE(BM_Collect, full_object, u"Global");
BENCHMARK_CAPTURE(BM_Collect, costly_query, u"Foreign Costly");

}  // namespace

BENCHMARK_MAIN();
