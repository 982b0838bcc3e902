// Numbers of the tray application that other windows, programs and the library's resources share:
// its private window messages, the notification icon's number and its window's title.
#pragma once

namespace tray {

// Window messages (WM_APP + n and WM_USER + 123), as plain numbers so portable code can use them.
inline constexpr unsigned kMsgTrayIcon = 0x8001;        // the notification icon's callback
inline constexpr unsigned kMsgRefresh = 0x8002;         // refresh icon and tool tip from the block
inline constexpr unsigned kMsgNewData = 0x8003;         // posted to pages that show live values
inline constexpr unsigned kMsgShowStatistics = 0x8004;  // open (or bring forward) the statistics sheet
inline constexpr unsigned kMsgShowSettings = 0x047B;    // open (or bring forward) the settings sheet

inline constexpr unsigned kTrayIconId = 101;

// The library's runSheet(which): the sheet a restricted tray's elevated start of the host opens.
inline constexpr unsigned long kSettingsSheet = 1;
inline constexpr unsigned long kStatisticsSheet = 2;

// The hidden window that other programs find the tray application by.
inline constexpr wchar_t kTrayWindowTitle[] = L"ControlManageUPS";

}  // namespace tray
