// SummaryBuilder: the sum of a month's days, a year's months or all years, as a summary file of
// the readers holds it. Its stamp is the latest valid stamp of its sources; a first source with an
// invalid stamp leaves the sum without a stamp (all zeros), and no sources at all give the stamp
// of date value 0 (30 December 1899 00:00).
#pragma once

#include <optional>

#include "stats/stat_summary.h"

namespace stats {

class SummaryBuilder {
 public:
  // Sources in ascending order of their date.
  void add(const StatSummary& source);
  StatSummary result() const;

 private:
  StatSummary totals_{};
  bool has_source_ = false;
  StatTimeStamp latest_;
  std::optional<double> latest_value_;
};

}  // namespace stats
