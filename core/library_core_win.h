// LibraryCore: the monitoring core of the service process — the portable state record and the
// Win32 objects that UPSInit acquires and UPSStop releases.
//
// One static instance lives as long as the library is loaded, so threads that outlive a stop
// (a power action under way) never touch freed memory. Threading: see MonitorCore; the transport
// objects belong to the query thread while it runs and to UPSInit and UPSTurnOff otherwise.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

#include "core/keyboard_device_win.h"
#include "core/keyboard_light.h"
#include "core/monitor_core.h"
#include "core/network_sharing_win.h"
#include "ipc/pipe_server_win.h"
#include "ipc/status_publisher_win.h"
#include "link/hid_system_win.h"
#include "link/serial_port_win.h"
#include "link/serial_transport.h"
#include "link/usb_transport.h"
#include "nut/network_link.h"
#include "nut/tcp_stream_win.h"
#include "platform/handles_win.h"

namespace core {

enum class TransportKind { usb, serial, network };

struct LibraryCore {
  MonitorCore monitor;
  TransportKind transport = TransportKind::usb;
  char vendor[256] = {};

  ipc::StatusPublisher publisher;
  ipc::PipeServer pipe;
  // Unnamed, manual reset, only ever pulsed: wakes the host's wait.
  platform::UniqueHandle state_change;

  platform::UniqueHandle query_thread;
  platform::UniqueHandle window_thread;
  std::atomic<HWND> window{nullptr};

  ups_link::Win32SerialPort serial_port;
  ups_link::SerialTransport serial{serial_port};
  ups_link::Win32HidSystem hid;
  ups_link::UsbTransport usb{hid};
  // A UPS another computer serves: from UPSInit until its session with the server has ended.
  nut::SystemSessionClock clock;
  nut::TcpStream tcp;
  std::optional<nut::NetworkLink> network;
  // The host's critical action follows: the server's session outlives UPSStop until the action
  // has started (end_network_session), so that the server's primary keeps waiting for it.
  std::atomic<bool> hold_network_session{false};

  KeyboardDevice keyboard;
  KeyboardLight light{keyboard};

  // This computer's UPS shared with the others as a NUT server, when the Network key says so.
  NetworkSharing sharing;

  ups_link::UpsTransport& link() {
    if (transport == TransportKind::network && network) return *network;
    return transport == TransportKind::usb ? static_cast<ups_link::UpsTransport&>(usb) : serial;
  }
  // The block, or null before UPSInit created it.
  ipc::UpsSharedBlock* block() const { return publisher.block(); }
};

LibraryCore& library_core();

// Event 46: the NUT server refused this computer's login (its ERR word).
void record_login_refusal(const LibraryCore& core, const std::string& refusal);

// Ends the session with a NUT server, when there is one: LOGOUT and Winsock released. After the
// host's critical action has started, an event line says that the server, which counted this
// computer among its secondaries, was told.
void end_network_session(LibraryCore& core, bool after_critical_action);

// Milliseconds since the library was loaded: the clock of the time in state.
std::uint32_t process_clock_ms();

}  // namespace core
