// Random sessions on small grids, checked after every command (see session_check.h).
#include <gtest/gtest.h>

#include <random>

#include "session_check.h"

namespace brenik::testing {
namespace {

TEST(Random, SessionsKeepTheGridSoundAndUndoExact) {
  TempDir dir;
  std::mt19937 rng(20261207);
  std::vector<std::string> words = {
      "b", "n",  ",", ".", "l", "e", "<", ">",  "p",    "j",     "J",
      "L", "g",  "G", "a", "A", "d", "m", "w",  "D",    "C",     "c",
      "x", "v",  "V", "i", "t", "T", "z", "#",  "Y",    "!",     "q",
      "",  "-1", "0", "1", "2", "3", "7", "ab", "b\tc", "\x01x", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzz"};
  // Text after "!", the keys a terminal sends, known or not, and a line with a zero byte.
  words.insert(words.end(),
               {"!ab", "\x1b[A", "\x1bOF", "\x1b[5;2~", "\x1b[3~", std::string("d\0x", 3)});
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (int run = 0; run < 400; ++run) {
    std::string input(4, '\0');
    for (char& byte : input) {
      byte = static_cast<char>(pick(256));
    }
    const std::string alphabet("ab\n\n\n\0", 6);
    std::string doc(static_cast<std::size_t>(pick(60)), 'a');
    for (char& c : doc) {
      c = pick(20) == 0 ? alphabet[static_cast<std::size_t>(pick(6))] : "xy\n"[pick(3)];
    }
    input[3] = static_cast<char>(doc.size());
    input += doc;
    for (int k = pick(120); k > 0; --k) {
      input += words[static_cast<std::size_t>(pick(static_cast<int>(words.size())))] + "\n";
    }
    ASSERT_EQ(SessionFault(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), "")
        << "run " << run;
  }
}

}  // namespace
}  // namespace brenik::testing
