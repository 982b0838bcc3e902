#include "nut/variable_snapshot.h"

#include "nut/text_compare.h"

namespace nut {

const NutVariable* VariableSnapshot::find(std::string_view name) const {
  for (const NutVariable& variable : variables) {
    if (equal_ignoring_case(variable.name, name)) return &variable;
  }
  return nullptr;
}

}  // namespace nut
