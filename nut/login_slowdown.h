// LoginSlowdown: repeated wrong passwords from one address are answered ever more slowly, so that
// guessing a password over the network takes years, while every other address is served at once.
//
// Each credential check (LOGIN, PRIMARY, FSD, SET, INSTCMD with a user and password) first asks
// admit() how long its answer must be held, then reports the outcome. The first kFreeFailures wrong
// passwords of an address cost nothing; after them each further check of that address is answered
// no sooner than a pause after the one before, a pause that doubles with every failure, from 1 s up
// to 30 s. Checks that arrive together over several connections queue behind each other. A right
// password clears the address's record (its answer still waits its turn, so the timing tells nothing);
// a record left alone for 15 minutes is forgotten, and the table never holds more than kMaxAddresses
// records (the stalest goes first).
//
// Time is passed in (monotonic milliseconds), so the policy is a pure object. Not thread-safe: the
// server's thread owns it.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace nut {

class LoginSlowdown {
 public:
  using Milliseconds = std::chrono::milliseconds;

  static constexpr unsigned kFreeFailures = 3;
  static constexpr Milliseconds kFirstPause{1000};
  static constexpr Milliseconds kLongestPause{30000};
  static constexpr Milliseconds kForgetAfter{15 * 60 * 1000};
  static constexpr std::size_t kMaxAddresses = 4096;

  // How long the answer to a check from `address` starting `now` must wait; reserves its turn.
  Milliseconds admit(std::string_view address, Milliseconds now);

  void record(std::string_view address, bool password_right, Milliseconds now);

  std::size_t addresses_on_record() const { return records_.size(); }

 private:
  struct Record {
    unsigned failures = 0;
    Milliseconds last_turn{0};  // when the latest check of the address was (or will be) answered
  };

  Milliseconds pause_after(unsigned failures) const;
  void forget_stale(Milliseconds now);
  void make_room();

  std::map<std::string, Record, std::less<>> records_;
};

}  // namespace nut
