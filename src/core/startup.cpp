#include "core/startup.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "files/load.h"
#include "settings/rc.h"

namespace brenik {

namespace {

constexpr const char* kBanner = "\nBrenik 1.03.2 by the Brenik developers\n";
constexpr const char* kUsage =
    "Usage: brenik [FILE]\n"
    "Edit FILE, a plain text file, one line at a time; 'h' in the editor lists the keys.\n"
    "The settings are read from .brenik_rc in the current folder, which is made when missing.\n"
    "  --help     show this and exit\n"
    "  --version  show the version and exit\n"
    "A file named like an option is reached as ./--help. The manual page has the rest.\n";

// Left uninitialised but for an empty text: a large buffer then stays untouched, and costs no
// memory, until a line that long is read or kept. Every reader stops at a text's zero.
void Allocate(std::unique_ptr<char[]>& buffer, int size) {
  buffer.reset(new char[static_cast<std::size_t>(size)]);
  buffer[0] = '\0';
}

}  // namespace

Flow StartUp(Editor& ed, int argc, char** argv) {
  // Only these exact words are options; every other first argument names a file, and a file
  // named like an option is reached as ./--help.
  if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, ed.io.out);
    return Flow::kQuit;
  }
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs("Brenik 1.03.2\n", ed.io.out);
    return Flow::kQuit;
  }
  std::fputs(kBanner, ed.io.out);
  ed.file_name.clear();
  Settings& s = ed.settings;
  s.launch = {};
  s.keys = DefaultKeys();
  s.show_numbers = true;
  s.anchor = 0;
  s.page_length = kDefaultPageLength;
  ReadRC(s, ed.io.out, *ed.fs);
  std::fprintf(ed.io.out, "\nEnter '%s' for help or '%s' to quit\n",
               ShownKey(s.keys[kHelp][0]).data(), ShownKey(s.keys[kQuit][0]).data());

  bool allocated = ed.grid.Allocate(s.lines, s.lsize);
  try {
    for (std::unique_ptr<char[]>* buffer :
         {&ed.input, &ed.insert_text, &ed.jump, &ed.clip, &ed.undo.copy1, &ed.undo.copy2}) {
      if (allocated) {
        Allocate(*buffer, s.lsize);
      }
    }
  } catch (const std::bad_alloc&) {
    allocated = false;  // a huge max_char can fail here even when the grid fitted
  }
  if (!allocated) {
    std::fprintf(ed.io.out,
                 "Not enough memory for %i lines of %i characters; lower max_lines or max_char "
                 "in .brenik_rc\n",
                 s.lines, s.lsize - 1);
    return Flow::kFatal;
  }

  if (argc > 1) {
    const char* name = argv[1];
    // A shortened name could name some other file, so a long one is refused whole.
    if (std::strlen(name) > static_cast<std::size_t>(kNameLimit)) {
      std::fprintf(ed.io.out, "File name is longer than %i characters\n", kNameLimit);
      return Flow::kFatal;
    }
    ed.file_name = name;
    switch (Open(name, ed.grid, ed.io, *ed.fs)) {
      case OpenResult::kDeclined:
        return Flow::kFatal;
      case OpenResult::kRefused:
        // The file exists but was not read: keeping its name would let the first save
        // replace it with whatever is typed, so the first save asks for a name instead.
        ed.file_name.clear();
        break;
      case OpenResult::kLoaded:
      case OpenResult::kNotFound:
        break;
    }
  }
  // Work kept by an earlier session that ended without quitting may be waiting there.
  const bool named = argc > 1 && argv[1][0] != '\0';
  const std::string emergency = named ? std::string(argv[1]) + ".save" : "brenik.save";
  struct stat info = {};
  if (ed.fs->Lstat(emergency.c_str(), &info) == 0) {
    std::fprintf(ed.io.out, "An earlier session left unsaved work in %s\n",
                 Shown(emergency.c_str()).c_str());
  }
  ed.line = 0;
  ed.column = 0;
  ed.line_lock = false;
  ed.undo.mode = UndoMode::kNone;
  ed.modified = false;
  return Flow::kContinue;
}

}  // namespace brenik
