#include "stats/summary_builder.h"

#include "stats/automation_date.h"

namespace stats {

void SummaryBuilder::add(const StatSummary& source) {
  const std::optional<double> value = automation_date(source.stamp);
  if (!has_source_ || (value && latest_value_ && *value > *latest_value_)) {
    latest_ = source.stamp;
    latest_value_ = value;
  }
  has_source_ = true;
  add_totals(totals_, source);
}

StatSummary SummaryBuilder::result() const {
  StatSummary sum = totals_;
  if (!has_source_)
    sum.stamp = kAutomationEpochStamp;
  else if (latest_value_)
    sum.stamp = latest_;
  return sum;
}

}  // namespace stats
