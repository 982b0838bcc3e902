// The library's `setup` export: installation steps and the few requests the service host passes
// to the library (vendor and model lists, defaults, the setup dialog or its choice given without
// it, tray close requests, the service's end-of-session and event lines, power actions written
// into the block by SYSTEM or an administrator, the keeper of the pipe, and the critical point's
// wait for the computers the service's NUT server serves).
#pragma once

#include <windows.h>

#include <cstdint>

#include "setup/ups_choice.h"  // the dialog's result bits

namespace installation {

enum SetupCommand : std::uint32_t {
  kWriteModelLists = 1,
  kWriteDefaults = 2,
  kRunSetupDialog = 3,
  kRequestGuiExit = 4,
  kWithdrawGuiExit = 5,
  kForwardEndSession = 6,
  kForwardPowerEvent = 7,
  kRecordEvent = 8,
  kRequestPowerAction = 10,
  kSaveGivenChoice = 11,
  // The service host's critical action follows: a session with the NUT server of a UPS followed
  // over the network outlives UPSStop (the server's primary keeps waiting for this computer) ...
  kHoldNetworkSession = 12,
  // ... until the action has started: LOGOUT, and the primary may go on.
  kEndNetworkSession = 13,
  kKeepPipe = 14,  // argument: the host's ipc::PipeKeeper, for the pipe to outlive each run
  // The critical point: the NUT server shows FSD to every client and waits, at most "HostSync"
  // seconds, until those logged in have gone. Returns at once when the server does not run.
  kLetNetworkClientsGoFirst = 15,
};

// The argument of kSaveGivenChoice: what the setup dialog would have been given. Saved as the
// dialog saves it, with the dialog's result, when the dialog offers that choice (a listed vendor
// and model, a listed port); otherwise nothing is written and the result is "not saved".
struct GivenChoice {
  const wchar_t* vendor;
  const wchar_t* model;
  const wchar_t* port;
  std::uint32_t tray_autostart;  // 0 or 1
  const wchar_t* user;           // a NUT server's login; empty (or null): none
  const wchar_t* password;
};

// The argument of kRecordEvent.
struct EventRecord {
  std::uint32_t code;
  const char* text;  // zero-terminated UTF-8, recorded as it is
};

}  // namespace installation

// The export itself (plain name on both architectures).
extern "C" int WINAPI setup(std::uint32_t command, ULONG_PTR argument);
using SetupFunction = int(WINAPI*)(std::uint32_t command, ULONG_PTR argument);
