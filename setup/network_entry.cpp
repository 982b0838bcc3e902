#include "setup/network_entry.h"

#include "nut/login_credentials.h"
#include "nut/server_address.h"

namespace installation {
namespace {

// ASCII as it is; anything else becomes a byte no part of an address or login may hold, so that
// the checks below refuse it in the field where it was typed.
std::string ascii(const std::wstring& text) {
  std::string bytes;
  for (const wchar_t c : text) bytes.push_back(c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '\x01');
  return bytes;
}

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

NetworkEntryCheck refused(NetworkField field, const wchar_t* message) {
  NetworkEntryCheck check;
  check.field = field;
  check.message = message;
  return check;
}

NetworkEntryCheck address_refusal(nut::AddressError error) {
  switch (error) {
    case nut::AddressError::no_ups_name:
      return refused(NetworkField::ups, L"Укажите имя ИБП, под которым его знает сервер (например, ups).");
    case nut::AddressError::bad_ups_name:
      return refused(NetworkField::ups, L"Имя ИБП может содержать только латинские буквы, цифры и знаки «-», «_», «.».");
    case nut::AddressError::no_host:
      return refused(NetworkField::server, L"Укажите сервер: имя компьютера или его IP-адрес.");
    case nut::AddressError::unbracketed_ipv6:
      return refused(NetworkField::server, L"IPv6-адрес сервера пишется в квадратных скобках, например [fe80::1].");
    case nut::AddressError::bad_port:
      return refused(NetworkField::server, L"Порт сервера после двоеточия — число от 1 до 65535.");
    case nut::AddressError::too_long:
      return refused(NetworkField::server, L"Имя сервера слишком длинное.");
    default:
      return refused(NetworkField::server,
                     L"Сервер указан неверно: нужно имя компьютера, IPv4-адрес или IPv6-адрес в квадратных скобках.");
  }
}

NetworkEntryCheck credentials_refusal(nut::CredentialsError error) {
  switch (error) {
    case nut::CredentialsError::user_without_password:
      return refused(NetworkField::password, L"Для входа на сервер укажите пароль пользователя.");
    case nut::CredentialsError::password_without_user:
      return refused(NetworkField::user, L"Пароль указан без пользователя: укажите пользователя или сотрите пароль.");
    case nut::CredentialsError::bad_user:
      return refused(NetworkField::user, L"Имя пользователя — одно слово латиницей, без пробелов и кавычек.");
    default:
      return refused(NetworkField::password,
                     L"Пароль может содержать только латинские буквы, цифры, пробел и знаки препинания.");
  }
}

}  // namespace

NetworkEntryCheck check_network_entry(const NetworkEntry& entry) {
  const std::string ups = ascii(entry.ups);
  const std::string server = ascii(entry.server);
  // A "@" in the UPS field would read as the start of the server: it belongs to no UPS name.
  if (ups.find('@') != std::string::npos) return address_refusal(nut::AddressError::bad_ups_name);
  const nut::ParsedAddress parsed = nut::parse_server_address("NUT:" + ups + "@" + server);
  if (!parsed.address) return address_refusal(parsed.error);
  NetworkEntryCheck check;
  check.user = ascii(entry.user);
  check.password = ascii(entry.password);
  const nut::CredentialsError credentials = nut::check_login_credentials(check.user, check.password);
  if (credentials != nut::CredentialsError::none) return credentials_refusal(credentials);
  check.port = nut::server_address_text(*parsed.address);
  return check;
}

NetworkEntry network_entry_from(const std::string& port, const std::string& user, const std::string& password) {
  NetworkEntry entry{L"", L"", wide(user), wide(password)};
  const nut::ParsedAddress parsed = nut::parse_server_address(port);
  if (!parsed.address) return entry;
  const nut::ServerAddress& address = *parsed.address;
  const bool ipv6 = address.host.find(':') != std::string::npos;
  std::string server = ipv6 ? "[" + address.host + "]" : address.host;
  if (address.port != nut::kDefaultServerPort) server += ":" + std::to_string(address.port);
  entry.server = wide(server);
  entry.ups = wide(address.ups);
  return entry;
}

}  // namespace installation
