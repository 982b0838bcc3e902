// The UPS models the library knows: the rows that installation writes as the vendor and model
// lists and as the model database, and the database entry of each row.
//
// Rows come in two tables; all rows of a table share its load points, and each row gives one
// runtime per point. Constant data; thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace installation {

inline constexpr std::size_t kMaxLoadPoints = 12;

struct ModelRow {
  const char* vendor;
  const char* model;
  std::int32_t variant;  // selects the status query
  float va;              // rating
  float u_min;           // battery volts at 0 % capacity
  float u_max;           // battery volts at 100 % capacity
  std::array<float, kMaxLoadPoints> runtimes;  // minutes at each load point of the row's table
};

struct ModelTable {
  std::span<const int> loads_va;  // the load points, ascending from 0 VA
  std::span<const ModelRow> rows;
};

// The two tables, in the order their rows are written. A model name may occur in more than one
// row: written in turn, the last row's entry is the one that stays.
std::span<const ModelTable> model_tables();

// The vendors that also get the entry "Other", in the order it is written.
inline constexpr std::array<const char*, 4> kVendors = {"Orvik", "Tavrel", "Lunem", "Ondra"};
inline constexpr char kOtherModel[] = "Other";

// The row's model database entry, as the registry stores a multi-string: "VA:%.0f",
// "UMIN:%.1f", "UMAX:%.1f", "MOD:%d", then "T%dVA:%.1f" for every load point (runtimes of 0
// included), each item followed by its terminator, and the list by one more.
std::string database_entry(const ModelRow& row, std::span<const int> loads_va);

}  // namespace installation
