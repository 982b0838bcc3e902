// The event lines the service side writes to the day's event file: code and printf-style text.
// Texts are UTF-8 here; the event file stores them as Windows-1251.
#pragma once

namespace core::event {

struct Text {
  int code;
  const char* format;
};

inline constexpr Text kServiceStarted{1, "Служба ИБП запущена\n"};
inline constexpr Text kMonitoringStopped{2, "Останов мониторинга ИБП\n"};
inline constexpr Text kLinkRestored{3, "Связь с ИБП восстановлена\n"};
inline constexpr Text kPowerRestored{4, "Питание восстановлено\n"};
inline constexpr Text kOnBattery{5, "Сбой в питании, переход на батарею\n"};
inline constexpr Text kNoLink{6, "Нет связи с ИБП\n"};
inline constexpr Text kTurnOffByHost{7, "Активирую выключение ИБП через %d сек\n"};
inline constexpr Text kSuspendByAction{8, "Переход в спящий режим зафиксирован (%d)\n"};
inline constexpr Text kSuspendByUser{9, "Ручной переход в спящий режим зафиксирован (%d)\n"};
inline constexpr Text kTurnOffAfterSuspend{10, "Активирую выключение ИБП через %d сек\n"};
inline constexpr Text kShutdownByAction{11, "Выключение зафиксированно (%d)\n"};
inline constexpr Text kShutdownByUser{12, "Ручное выключение зафиксированно (%d)\n"};
inline constexpr Text kTurnOffAfterShutdown{13, "Активирую выключение ИБП через %d сек\n"};
inline constexpr Text kCriticalPoint{14, "Сбой питания. Действие. Батарея разряжена или порог по емкости:%s\n"};
inline constexpr Text kCriticalAction{15, "Сбой питания. Действие %s\n\n"};
inline constexpr Text kBatteryLowByUps{17, "Батарея разряжена (%.1f, В)\n"};
inline constexpr Text kResumed{18, "Выход из спящего режима зафиксирован\n"};
inline constexpr Text kAvrOn{19, "AVR вкл\n"};
inline constexpr Text kAvrOff{20, "AVR выкл\n"};
inline constexpr Text kCapacityThreshold{21, "Выключение по ёмкости. Текущая:%d, Порог:%d\n"};
inline constexpr Text kVoltageThreshold{22, "Выключение по напряжению. Текущее:%.1f (В), Порог:%.1f (В)\n"};
inline constexpr const char* kCommandedActionFormat = "Командное выключение (%d)\n";
inline constexpr int kCommandedActionBase = 20;  // the code is 20 + request (21..26)
// Written instead of a power action while the Config value "PowerActionTestMode" is on.
inline constexpr Text kPowerActionRehearsed{30, "Проверочный режим: %s не выполнено (флаги 0x%X, причина 0x%08X)\n"};
// The UPS's battery-low bit while mains is present: recharging, nothing to act on.
inline constexpr Text kLowBatteryOnMains{31, "Батарея разряжена, питание от сети, идёт заряд (%.1f, В)\n"};
inline constexpr Text kTestEndedBatteryLow{32, "Тест батареи завершён: батарея разряжена, питание от сети (%.1f, В)\n"};
// A request over the pipe whose caller lacked a right: the account, the command, the rights missing.
inline constexpr Text kPipeRequestRefused{33, "Запрос к службе отклонён: %s, команда %u, нет прав: %s\n"};
// The pipe could not be created (its name held by another process, or a system error): the
// monitoring goes on without it and tries again every cycle.
inline constexpr Text kPipeUnavailable{
    34, "Канал управления службой недоступен (ошибка %u), мониторинг продолжается без него\n"};
// A kernel object of the system's names (the shared block, the new-data event) that another account
// made, or opened to others, before the service created it.
inline constexpr Text kObjectTakenBack{35, "Объект %s был открыт другим пользователям: владелец и права доступа восстановлены\n"};
inline constexpr Text kObjectRefused{35, "Объект %s создан чужой учётной записью и не используется\n"};
// An existing statistics root that others could change, made the archive's own before recording.
inline constexpr Text kArchiveRootReset{36, "Папку статистики %s могли изменять пользователи: её права доступа сброшены\n"};
// The administrator's command on an event (the Events key): not started, with the reason; ended
// by the service because it outlived the wait of the critical point.
inline constexpr Text kCommandNotStarted{39, "Команда на событие %02d не запущена: %s\n"};
inline constexpr Text kCommandEnded{40, "Команда на событие %02d прервана через %u сек\n"};
// The monitoring could not start; one of the reasons below follows.
inline constexpr Text kServiceNotStarted{41, "Служба ИБП не запущена: %s\n"};
// The NUT server: the wait at the critical point for the other computers on the UPS (told, gone,
// seconds waited), a forced shutdown ordered by a network client (user, address), and a server
// that could not be started (why).
inline constexpr Text kNetworkClientsWait{42, "Ожидание других компьютеров: оповещено %d, отключилось %d, за %.1f сек\n"};
inline constexpr Text kNetworkForcedShutdown{43, "Команда выключения (FSD) от сетевого клиента %s (%s)\n"};
inline constexpr Text kNetworkServerNotStarted{44, "Сетевой сервер ИБП не запущен: %s\n"};

namespace start_failure {
inline constexpr char kLibraryNotLoaded[] = "библиотека orvik_dll.dll не загружается";
inline constexpr char kLibraryIncomplete[] = "в библиотеке orvik_dll.dll нет нужных функций";
inline constexpr char kNoSettingsKey[] = "нет раздела настроек службы в реестре";
inline constexpr char kNoUpsChosen[] = "в настройках не выбраны производитель и модель ИБП";
inline constexpr char kNoPort[] = "в настройках нет порта ИБП";
inline constexpr char kSharedBlock[] = "общий блок состояния не создан";
inline constexpr char kNoUsbUps[] = "ИБП на USB не найден";
inline constexpr char kBadServerAddress[] = "порт %s не адрес сервера ИБП (NUT:ИБП@сервер[:порт])";
inline constexpr char kPortNotOpened[] = "порт %s не открывается";
inline constexpr char kPortNotSetUp[] = "порт %s не настраивается";
inline constexpr char kNoAnswer[] = "ИБП не отвечает (порт %s)";
inline constexpr char kAnswerNotRead[] = "ответ ИБП не разобран (порт %s)";
inline constexpr char kNoQueryThread[] = "поток опроса ИБП не запущен";
}  // namespace start_failure
// A UPS another computer serves over the network (NUT).
inline constexpr Text kServerForcedShutdown{45, "Сервер ИБП объявил выключение всех компьютеров (FSD)\n"};
inline constexpr Text kServerLoginRefused{46, "Сервер ИБП %s отказал во входе (%s): он не будет ждать выключения этого компьютера\n"};
inline constexpr Text kServerLoggedOut{47, "Сервер ИБП %s извещён о выключении этого компьютера\n"};
inline constexpr Text kHibernateRefused{52, "Отказ спящего режима, под XP установите обновление KB909095\n"};

}  // namespace core::event
