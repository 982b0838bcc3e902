// VariableSnapshot: the UPS variables the server hands out, as of one polling cycle.
//
// The polling side builds a new snapshot each cycle (served_variables.h) and the server reads the
// latest one; a snapshot is a value and is never changed once handed over. Names are kept in
// ascending order, the order LIST VAR gives them, and are looked up without regard to case, as NUT's
// server looks them up.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nut {

struct NutVariable {
  std::string name;
  std::string value;
};

struct VariableSnapshot {
  // The UPS did not answer in the last cycle, or has not been reached yet: the values are old or
  // absent, and the server answers DATA-STALE instead of handing them out.
  bool stale = true;
  // The server's forced-shutdown flag: set by a permitted client's FSD or by this computer's own
  // critical point, it shows as a leading "FSD" in ups.status.
  bool forced_shutdown = false;
  std::vector<NutVariable> variables;

  const NutVariable* find(std::string_view name) const;
};

}  // namespace nut
