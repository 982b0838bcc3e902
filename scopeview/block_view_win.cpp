#include "scopeview/block_view_win.h"

#include <cstring>
#include <string>

#include "ipc/shared_block.h"

namespace scopeview {
namespace {

constexpr DWORD kViewedBytes = 836;
static_assert(offsetof(ipc::UpsSharedBlock, action_request) == kViewedBytes, "the view ends before the requests");
static_assert(offsetof(ipc::UpsSharedBlock, status) + sizeof(ups_link::UpsStatus) <= kViewedBytes);

}  // namespace

bool BlockView::attach() {
  const std::string name = std::string("Global\\") + ipc::kSharedBlockBaseName + "_map";
  mapping_.reset(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
  if (!mapping_) return false;
  view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, kViewedBytes));
  if (!view_) mapping_.reset();
  return view_.is_open();
}

ChannelValues BlockView::read() const {
  if (!view_) return {};
  ups_link::UpsStatus status;
  std::memcpy(&status, static_cast<const char*>(view_.get()) + offsetof(ipc::UpsSharedBlock, status), sizeof status);
  return {status.input_voltage, status.output_voltage, status.battery_voltage,
          static_cast<double>(status.load_percent)};
}

}  // namespace scopeview
