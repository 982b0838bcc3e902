#include "perf/counter_texts.h"

namespace perf {

const CounterTextEntry kCounterTexts[kTextEntryCount] = {
    {0, {"UPS", "UPS performance"}, {"ИБП", "Мониторинг ИБП"}},
    {2, {"Uin", "Input U (B)"}, {"Вход", "Входное напряжение (B)"}},
    {4, {"Uout", "Output U (B)"}, {"Выход", "Выходное напряжение (B)"}},
    {6, {"OP", "Power %"}, {"Нагр", "Нагрузка %"}},
    {8, {"UBat", "Battery (B)"}, {"Н.Бат", "Напряжение на батареи (B)"}},
    {10, {"AVR", "AVR On/Off"}, {"AVR", "AVR Вкл/Выкл"}},
    {12, {"Temp", "Temperature (°C)"}, {"Темп", "Температура (°C)"}},
    {14, {"Plug", "Connection On/Off"}, {"Связь", "Связь с ИБП Да/Нет"}},
    {16, {"Bat", "Battery On/Off"}, {"Бат", "Работа от батареи Да/Нет"}},
    {18, {"NA", "Reserved"}, {"NA", "Reserved"}},
};

const TitleTexts& texts_for_language(const CounterTextEntry& entry, std::string_view language) {
  return language == "019" ? entry.russian : entry.english;
}

}  // namespace perf
