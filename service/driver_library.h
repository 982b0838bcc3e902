// The driver library as the service host drives it: loaded by file name, its exports bound by
// name, and the seven functions the monitoring loop calls.
//
// load/bind/unload and the monitoring calls come from the loop's thread. cancel_wait and the
// forwarding of the end of session may come from the control handler's thread at any moment, so
// an implementation must make them safe against a concurrent unload (they do nothing while the
// library is not loaded).
#pragma once

#include <cstdint>

namespace service {

class DriverLibrary {
 public:
  virtual ~DriverLibrary() = default;

  // "orvik_dll.dll" from the program's directory or the search path; false when missing.
  virtual bool load() = 0;
  // The system's error of the last load that failed.
  virtual std::uint32_t load_error() = 0;
  // The six minidriver functions and `setup`; false when one of them is missing.
  virtual bool bind() = 0;
  virtual void unload() = 0;

  virtual std::uint32_t init() = 0;
  virtual void stop() = 0;
  virtual std::uint32_t get_state() = 0;
  virtual void wait_for_state_change(std::uint32_t state, std::uint32_t limit_ms) = 0;
  virtual void cancel_wait() = 0;
  virtual void turn_off(std::uint32_t delay_s) = 0;
  // An event line (`setup` command 8); `text` is UTF-8 and ends with its newline.
  virtual void record_event(std::uint32_t code, const char* text) = 0;
  // The critical action follows: a session with the NUT server of a UPS followed over the network
  // is kept past stop(), so that the server's primary still waits for this computer ...
  virtual void hold_server_session() = 0;
  // ... until the action has started: then it ends (LOGOUT). Nothing without such a session.
  virtual void end_server_session() = 0;
  // The critical point's first step (`setup` command 15): the computers the library's NUT server
  // serves are told to shut down, and the call returns once they have gone or "HostSync" has passed.
  virtual void let_network_clients_go_first() = 0;
};

}  // namespace service
