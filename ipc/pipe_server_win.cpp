#include "ipc/pipe_server_win.h"

#include "ipc/pipe_client_token_win.h"
#include "platform/debug_trace.h"

namespace ipc {
namespace {

// The instances of the pipe as the system counts them, whoever made them; 0 when it cannot tell.
DWORD instances_of_pipe(HANDLE any_instance) {
  DWORD count = 0;
  if (!GetNamedPipeHandleStateA(any_instance, nullptr, &count, nullptr, nullptr, nullptr, 0)) return 0;
  return count;
}

HANDLE duplicate(HANDLE handle) {
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

}  // namespace

bool PipeServer::open() {
  close();
  if (adopt_kept()) return true;
  close();
  if (create_instances()) return true;
  close();
  return false;
}

void PipeServer::close() {
  for (PipeInstance& instance : instances_) instance.close();
}

bool PipeServer::adopt_kept() {
  if (!keeper_ || keeper_->size != sizeof(PipeKeeper) || keeper_->count != kPipeInstances) return false;
  for (int i = 0; i < kPipeInstances; ++i) {
    HANDLE copy = duplicate(keeper_->instances[i]);
    if (!copy || !instances_[i].adopt(copy)) {
      debug_trace("UPS::kept pipe instance %d unusable: %u\n", i, static_cast<unsigned>(GetLastError()));
      release_kept_instances(*keeper_);  // let go, so that the name can be made afresh
      return false;
    }
  }
  return true;
}

// The system refuses a first instance while another process holds the name, and any instance
// beyond kPipeInstances. Where it does not keep the first promise (Wine), the count of instances
// right after the first shows a stranger's all the same; one that slips in later takes the place
// of the last of ours, whose creation then fails.
bool PipeServer::create_instances() {
  for (int i = 0; i < kPipeInstances; ++i) {
    if (!instances_[i].create(name_.c_str(), i == 0)) {
      last_open_error_ = GetLastError();
      return false;
    }
    if (i == 0 && instances_of_pipe(instances_[0].handle()) != 1) {
      last_open_error_ = ERROR_ACCESS_DENIED;
      return false;
    }
  }
  leave_with_keeper();
  return true;
}

void PipeServer::leave_with_keeper() {
  if (!keeper_ || keeper_->size != sizeof(PipeKeeper)) return;
  for (int i = 0; i < kPipeInstances; ++i) {
    keeper_->instances[i] = duplicate(instances_[i].handle());
    if (!keeper_->instances[i]) {
      release_kept_instances(*keeper_, i);
      return;
    }
  }
  keeper_->count = kPipeInstances;
}

void PipeServer::poll(PipeCommandHandler& handler) {
  if (!is_open()) reopen(handler);
  for (PipeInstance& instance : instances_) serve(instance, handler);
}

void PipeServer::reopen(PipeCommandHandler& handler) {
  if (open()) {
    if (outage_reported_) debug_trace("UPS::IPC available again\n");
    outage_reported_ = false;
    return;
  }
  if (outage_reported_) return;
  outage_reported_ = true;
  handler.pipe_unavailable(last_open_error_);
}

void PipeServer::serve(PipeInstance& instance, PipeCommandHandler& handler) {
  switch (instance.try_read()) {
    case PipeMessageReader::Result::message:
      execute(instance, handler);
      return;
    case PipeMessageReader::Result::rejected:
      debug_trace("UPS::Msg size:%u rejected\n", static_cast<unsigned>(instance.message().size));
      recreate(instance);
      return;
    case PipeMessageReader::Result::failed:
      if (instance.last_read_error() == ERROR_BROKEN_PIPE) recreate(instance);
      return;
    case PipeMessageReader::Result::nothing:
      return;
  }
}

void PipeServer::execute(PipeInstance& instance, PipeCommandHandler& handler) {
  const PipeMessage& received = instance.message();
  debug_trace("UPS::Msg size:%d cmd:%d\n", static_cast<int>(received.size), static_cast<int>(received.cmd));
  PipeClientToken caller(instance.handle());
  const PipeOutcome outcome = serve_pipe_message(received, caller, handler);
  if (outcome.reply == PipeReply::stat_flushed) instance.write(make_pipe_message(MSG_STAT_FLUSHED));
  if (outcome.reply == PipeReply::answer) instance.write(make_answer(received.cmd, outcome.missing));
}

void PipeServer::recreate(PipeInstance& instance) {
  debug_trace("UPS::IPC recreated:%d\n", instance.listen_again() ? 1 : 0);
}

}  // namespace ipc
