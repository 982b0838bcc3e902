// Resource numbers of the tray application in the driver library: the four state icons and the
// notifier's skin. Plain macros, because the resource compiler reads this file too.
#pragma once

#define IDI_TRAY_NO_LINK 102
#define IDI_TRAY_ON_BATTERY 103
#define IDI_TRAY_MAINS 104
#define IDI_TRAY_AVR 108
#define IDB_NOTIFIER_SKIN 201
