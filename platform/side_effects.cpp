#include "platform/side_effects.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<SideEffects*> g_installed{nullptr};
}

SideEffects& side_effects() {
  SideEffects* installed = g_installed.load();
  return installed ? *installed : system_side_effects();
}

SideEffects* set_side_effects(SideEffects* effects) {
  return g_installed.exchange(effects);
}

}  // namespace platform
