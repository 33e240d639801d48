// SPDX-License-Identifier: MIT
#include "settings/rc.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "term/io.h"

namespace brenik {

namespace {

constexpr const char* kRcName = ".brenik_rc";
// Far more than any real settings file, and little enough to read whole at every start-up.
constexpr std::size_t kRcLimit = std::size_t{1} << 20;

// The six keys other than command names, in the order a line is tested against them.
enum class OtherKey { kMaxLines, kMaxChar, kAnchorPosition, kLinesPerPage, kShowNumbers, kLaunch };
constexpr const char* kOtherKeys[] = {"max_lines",      "max_char",     "anchor_position",
                                      "lines_per_page", "show_numbers", "launch_command"};

// A base-10 integer as the settings file writes it; none when it does not fit 32 bits.
std::optional<long> ToInt(const std::string& value) {
  errno = 0;
  const long result = std::strtol(value.c_str(), nullptr, 10);
  if (errno == ERANGE || result < INT_MIN || result > INT_MAX) {
    return std::nullopt;
  }
  return result;
}

void ApplyOther(OtherKey key, const std::string& value, Settings& s) {
  const std::optional<long> number = ToInt(value);
  switch (key) {
    case OtherKey::kMaxLines:
      if (number && *number > 0) {
        s.lines = static_cast<int>(*number);
      }
      break;
    case OtherKey::kMaxChar:
      // One character per line would leave no room for the quit confirmation's "q" and its
      // line end, so the editor could never be left.
      if (number && *number >= 2 && *number <= kMaxLineLength) {
        s.lsize = static_cast<int>(*number) + 1;
      }
      break;
    case OtherKey::kAnchorPosition:
      if (number && *number >= 1 && *number <= s.lsize - 1) {
        s.anchor = static_cast<int>(*number) - 1;
      }
      break;
    case OtherKey::kLinesPerPage:
      if (number && *number >= 1 && *number <= s.lines - 1) {
        s.page_length = static_cast<int>(*number);
      }
      break;
    case OtherKey::kShowNumbers:
      s.show_numbers = value == "on";
      break;
    case OtherKey::kLaunch:
      if (!value.empty()) {
        s.launch.command = value.substr(0, kNameLimit);
      }
      break;
  }
}

void ApplyLine(std::string_view text, Settings& s) {
  const std::string line(text);
  const std::size_t equals = line.find('=');
  // A key without "=" carries no value; such a line is ignored.
  const bool has_value = equals != std::string::npos;
  const std::string value = has_value ? line.substr(equals + 1) : std::string();
  bool binding = false;
  for (int i = 0; i < kCommandCount; ++i) {
    if (line.find(kCommands[i].name) != std::string::npos) {
      binding = true;
      if (has_value && value.size() == 1) {
        s.keys[i] = {value[0], '\0'};
      }
    }
  }
  if (binding || !has_value) {
    return;
  }
  for (int k = 0; k < static_cast<int>(std::size(kOtherKeys)); ++k) {
    if (line.find(kOtherKeys[k]) != std::string::npos) {
      ApplyOther(static_cast<OtherKey>(k), value, s);
      return;
    }
  }
}

// Reads a whole file, but never more than one byte past the limit, so that a file too large
// shows as one; none, with errno set, when it cannot be read.
std::optional<std::string> ReadAll(FileSystem& fs, int fd) {
  std::string text;
  char chunk[4096];
  while (text.size() <= kRcLimit) {
    const ssize_t got = fs.Read(fd, chunk, std::min(sizeof chunk, kRcLimit + 1 - text.size()));
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    // Memory too short even for that much is refused like a file that cannot be read.
    try {
      text.append(chunk, static_cast<std::size_t>(got));
    } catch (const std::bad_alloc&) {
      errno = ENOMEM;
      return std::nullopt;
    }
  }
  return text;
}

// The file is left as it is and nothing of it is applied, so a half-read file cannot mix in.
void CannotRead(std::FILE* out, const char* reason) {
  std::fprintf(out, "Cannot read RC file %s: %s; using the defaults\n", kRcName, reason);
}

// Creates the settings file with the current keys and limits; never over an existing file.
void MakeRC(const Settings& settings, const char* file_name, std::FILE* out, FileSystem& fs) {
  // Only ever a new file: never through a link, never over something already there.
  const int fd = fs.Open(file_name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
  if (fd < 0) {
    std::fputs("Cannot make RC file\n", out);
    return;
  }
  std::string text;
  char line[64];
  for (int i = 0; i < kCommandCount; ++i) {
    std::snprintf(line, sizeof line, "%s=%s\n", kCommands[i].name, settings.keys[i].data());
    text += line;
  }
  std::snprintf(line, sizeof line, "max_lines=%i\n", settings.lines);
  text += line;
  std::snprintf(line, sizeof line, "max_char=%i\n", settings.lsize - 1);
  text += line;
  text += "\nanchor_position=0\nlines_per_page=8\nshow_numbers=on\nlaunch_command=\n";

  bool ok = WriteAll(fs, fd, text.data(), text.size());
  ok = fs.Close(fd) == 0 && ok;
  // A cut-off file would be read back next time: "max_lines=3" of "max_lines=32767".
  if (!ok) {
    fs.Unlink(file_name);
    std::fputs("Cannot make RC file\n", out);
  }
}

}  // namespace

void ApplyRC(const char* text, std::size_t length, Settings& settings) {
  std::string_view rest(text, length);
  // The text ends at a zero byte, as a C string read from the file would.
  rest = rest.substr(0, rest.find('\0'));
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    if (!line.empty()) {
      ApplyLine(line, settings);
    }
    if (end == std::string_view::npos) {
      break;
    }
    rest.remove_prefix(end + 1);
  }
  // A later max_char can lower the limit below an anchor accepted earlier.
  if (settings.anchor >= settings.lsize) {
    settings.anchor = 0;
  }
}

void ReadRC(Settings& settings, std::FILE* out, FileSystem& fs) {
  // O_NONBLOCK: a FIFO planted under the name must not hang the start-up; it is refused below.
  const int fd = fs.Open(kRcName, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0);
  if (fd < 0) {
    if (errno == ENOENT) {
      std::fprintf(out, "Making RC file: %s\n", kRcName);
      MakeRC(settings, kRcName, out, fs);
      return;
    }
    CannotRead(out, std::strerror(errno));
    return;
  }
  struct stat info = {};
  const char* refusal = nullptr;
  if (fs.Fstat(fd, &info) != 0) {
    refusal = std::strerror(errno);
  } else if (S_ISDIR(info.st_mode)) {
    refusal = std::strerror(EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    // A device such as /dev/zero would be read without end.
    refusal = "not a regular file";
  }
  if (refusal != nullptr) {
    CannotRead(out, refusal);
    fs.Close(fd);
    return;
  }
  std::fprintf(out, "Reading RC file: %s\n", kRcName);
  const std::optional<std::string> text = ReadAll(fs, fd);
  const int read_errno = errno;
  fs.Close(fd);
  if (!text) {
    CannotRead(out, std::strerror(read_errno));
    return;
  }
  if (text->size() > kRcLimit) {
    CannotRead(out, "larger than 1 MiB");
    return;
  }
  ApplyRC(text->data(), text->size(), settings);
}

}  // namespace brenik
