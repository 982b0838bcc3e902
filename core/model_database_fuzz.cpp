// Fuzz target: a model database value of arbitrary bytes, and the derived values computed
// from whatever model it yields (garbage numbers must not break the arithmetic).
#include <cstddef>
#include <cstdint>

#include "core/model_database.h"
#include "link/derived_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const core::RawModelValue value{true, platform::kRegMultiString, data, size};
  const core::ModelRecord model = core::load_model(value);

  for (float volts : {0.0f, 11.5f, 13.6f, 1e30f}) {
    for (int load : {-100, 0, 37, 100, 2147483647}) {
      ups_link::UpsStatus status;
      status.battery_voltage = volts;
      status.load_percent = load;
      const ups_link::DerivedValues derived = ups_link::derive_published_values(status, model, false);
      if (derived.battery_capacity > 100) __builtin_trap();
    }
  }
  return 0;
}
