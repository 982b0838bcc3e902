#include "nut/client_protocol.h"

#include <algorithm>

#include "nut/text_compare.h"

namespace nut {
namespace {

std::string lower_case(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

bool starts_with_words(const Words& words, std::string_view first, std::string_view second) {
  return words.size() >= 2 && words[0] == first && words[1] == second;
}

}  // namespace

std::string request_line(std::initializer_list<std::string_view> words) {
  std::string line;
  for (const std::string_view word : words) {
    if (!line.empty()) line.push_back(' ');
    line += request_word(word);
  }
  line.push_back('\n');
  return line;
}

Reply parse_reply(std::string_view line) {
  Reply reply;
  reply.words = split_words(line);
  const Words& words = reply.words;
  if (words.empty()) return reply;
  if (words[0] == "OK") {
    reply.kind = Reply::Kind::ok;
  } else if (words[0] == "ERR") {
    reply.kind = Reply::Kind::error;
    // A server that names no error still refused; binary junk may leave the word empty.
    reply.error = words.size() >= 2 && !words[1].empty() ? words[1] : std::string(kProtocolError);
  } else if (words[0] == "VAR" && words.size() >= 4) {
    reply.kind = Reply::Kind::variable;
  } else if (starts_with_words(words, "BEGIN", "LIST")) {
    reply.kind = Reply::Kind::list_begin;
  } else if (starts_with_words(words, "END", "LIST")) {
    reply.kind = Reply::Kind::list_end;
  }
  return reply;
}

bool read_variable(const Reply& reply, std::string_view ups, std::string_view name, std::string& value) {
  if (reply.kind != Reply::Kind::variable) return false;
  if (!equal_ignoring_case(reply.words[1], ups) || !equal_ignoring_case(reply.words[2], name)) return false;
  value = reply.words[3];
  return true;
}

LoginFlow::LoginFlow(std::string user, std::string password, std::string ups)
    : user_(std::move(user)), password_(std::move(password)), ups_(std::move(ups)) {
  request_ = request_line({"USERNAME", user_});
}

LoginFlow::State LoginFlow::take(const Reply& reply) {
  if (state_ != State::sending) return state_;
  if (reply.kind != Reply::Kind::ok) {
    refusal_ = reply.kind == Reply::Kind::error ? reply.error : std::string(kProtocolError);
    request_.clear();
    return state_ = State::refused;
  }
  switch (step_) {
    case Step::username:
      step_ = Step::password;
      request_ = request_line({"PASSWORD", password_});
      break;
    case Step::password:
      step_ = Step::login;
      request_ = request_line({"LOGIN", ups_});
      break;
    case Step::login:
      request_.clear();
      state_ = State::logged_in;
      break;
  }
  return state_;
}

VariableListReader::VariableListReader(std::string ups, std::size_t max_variables)
    : ups_(std::move(ups)), max_variables_(max_variables) {}

// "BEGIN LIST VAR <ups>" / "END LIST VAR <ups>": the list's own name repeated, from word 2 on.
bool VariableListReader::names_this_list(const Reply& reply, std::size_t first_word) const {
  const Words& words = reply.words;
  return words.size() == first_word + 2 && words[first_word] == "VAR" && equal_ignoring_case(words[first_word + 1], ups_);
}

VariableListReader::State VariableListReader::fail(std::string_view why) {
  failure_ = why;
  variables_.clear();
  return state_ = State::failed;
}

VariableListReader::State VariableListReader::take(const Reply& reply) {
  if (state_ != State::reading) return state_;
  if (reply.kind == Reply::Kind::error) return fail(reply.error);
  if (!begun_) {
    if (reply.kind != Reply::Kind::list_begin || !names_this_list(reply, 2)) return fail(kProtocolError);
    begun_ = true;
    return state_;
  }
  if (reply.kind == Reply::Kind::list_end) {
    if (!names_this_list(reply, 2)) return fail(kProtocolError);
    return state_ = State::complete;
  }
  if (reply.kind != Reply::Kind::variable || !equal_ignoring_case(reply.words[1], ups_)) return fail(kProtocolError);
  if (++variable_lines_ > max_variables_) return fail(kProtocolError);
  variables_[lower_case(reply.words[2])] = reply.words[3];
  return state_;
}

}  // namespace nut
