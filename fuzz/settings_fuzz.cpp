// SPDX-License-Identifier: MIT
// Any bytes as a settings file: the reader must leave every setting usable.
#include <cstdint>
#include <cstdlib>

#include "settings/rc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brenik::Settings settings;
  brenik::ApplyRC(reinterpret_cast<const char*>(data), size, settings);
  bool sound = settings.lines > 0 && settings.lsize >= 3 &&
               settings.lsize <= brenik::kMaxLineLength + 1 && settings.anchor >= 0 &&
               settings.anchor < settings.lsize && settings.page_length >= 1 &&
               settings.launch.command.size() <= 255 &&
               settings.launch.command.find('\n') == std::string::npos;
  for (const auto& key : settings.keys) {
    sound = sound && key[0] != '\0' && key[1] == '\0';
  }
  if (!sound) {
    std::abort();
  }
  return 0;
}
