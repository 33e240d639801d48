// SPDX-License-Identifier: MIT
#include "core/startup.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "files/emergency.h"
#include "files/load.h"
#include "files/paths.h"
#include "files/recover.h"
#include "files/replace.h"
#include "settings/rc.h"

namespace brenik {

namespace {

constexpr const char* kBanner = "\nBrenik 1.03.2 by the Brenik developers\n";
constexpr const char* kUsage =
    "Usage: brenik [OPTION]... [FILE]\n"
    "Edit FILE, a plain text file, one line at a time; 'h' in the editor lists the keys.\n"
    "The settings are read from .brenik_rc in the current folder, which is made when missing.\n"
    "  -h, --help        show this and exit\n"
    "  -V, --version     show the version and exit\n"
    "      --no-journal  keep no journal of the changes (nothing to recover after a crash)\n"
    "  --                end the options: a FILE that begins with '-' may follow\n"
    "The manual page has the rest.\n";

// What the command line asks for.
struct Arguments {
  enum class Action { kEdit, kHelp, kVersion, kWrong } action = Action::kEdit;
  const char* file = nullptr;  // none: start without a file
  bool journal = true;
};

// Options first or anywhere, as other tools take them; "--" ends them, and "-" alone is a
// file's name. The first mistake is told on the error stream with the usage.
Arguments ParseArguments(int argc, char** argv, std::FILE* err) {
  Arguments args;
  bool options = true;
  for (int k = 1; k < argc; ++k) {
    const char* arg = argv[k];
    const bool option = options && arg[0] == '-' && arg[1] != '\0';
    if (option && std::strcmp(arg, "--") == 0) {
      options = false;
    } else if (option && (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)) {
      args.action = Arguments::Action::kHelp;
      return args;
    } else if (option && (std::strcmp(arg, "-V") == 0 || std::strcmp(arg, "--version") == 0)) {
      args.action = Arguments::Action::kVersion;
      return args;
    } else if (option && std::strcmp(arg, "--no-journal") == 0) {
      args.journal = false;
    } else if (option) {
      std::fprintf(err, "brenik: unknown option '%s'\n%s", Shown(arg).c_str(), kUsage);
      args.action = Arguments::Action::kWrong;
      return args;
    } else if (args.file != nullptr) {
      std::fprintf(err, "brenik: only one file can be edited at a time ('%s' and '%s')\n%s",
                   Shown(args.file).c_str(), Shown(arg).c_str(), kUsage);
      args.action = Arguments::Action::kWrong;
      return args;
    } else {
      args.file = arg;
    }
  }
  return args;
}

// Left uninitialised but for an empty text: a large buffer then stays untouched, and costs no
// memory, until a line that long is read or kept. Every reader stops at a text's zero.
void Allocate(std::unique_ptr<char[]>& buffer, int size) {
  buffer.reset(new char[static_cast<std::size_t>(size)]);
  buffer[0] = '\0';
}

// One line that names the work earlier sessions left and nobody has looked at since.
void NameEmergencyFiles(const std::string& file_name, Editor& ed, Listings& listings) {
  const std::vector<std::string> found = FindEmergencyFiles(file_name, *ed.fs, listings);
  if (found.empty()) {
    return;
  }
  std::fputs(found.size() == 1 ? "An earlier session left unsaved work in "
                               : "Earlier sessions left unsaved work in ",
             ed.io.out);
  for (std::size_t k = 0; k < found.size(); ++k) {
    if (k > 0) {
      std::fputs(k + 1 == found.size() ? " and " : ", ", ed.io.out);
    }
    PutShown(found[k].c_str(), ed.io.out);
  }
  std::fputc('\n', ed.io.out);
}

}  // namespace

Flow StartUp(Editor& ed, int argc, char** argv) {
  const Arguments args = ParseArguments(argc, argv, ed.io.err != nullptr ? ed.io.err : ed.io.out);
  switch (args.action) {
    case Arguments::Action::kHelp:
      std::fputs(kUsage, ed.io.out);
      return Flow::kQuit;
    case Arguments::Action::kVersion:
      std::fputs("Brenik 1.03.2\n", ed.io.out);
      return Flow::kQuit;
    case Arguments::Action::kWrong:
      return Flow::kMisused;
    case Arguments::Action::kEdit:
      break;
  }
  std::fputs(kBanner, ed.io.out);
  ed.file_name.clear();
  ed.disk = {};
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

  const std::string named = args.file != nullptr ? args.file : "";
  if (args.file != nullptr) {
    // A shortened name could name some other file, so a long one is refused whole.
    if (named.size() > static_cast<std::size_t>(kNameLimit)) {
      std::fprintf(ed.io.out, "File name is longer than %i characters\n", kNameLimit);
      return Flow::kFatal;
    }
    ed.file_name = named;
    switch (Open(named, ed.grid, ed.io, *ed.fs, ed.disk)) {
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
  // The journal starts from what was loaded, or from an empty document.
  ed.journal.Configure(*ed.fs, ed.io.out, s.lines, s.lsize, args.journal);
  ed.journal.Follow(ed.file_name);
  ed.journal.Rebase(ed.disk.exists ? ed.file_name : "", ed.disk);
  ed.io.hook = &ed.journal;
  // A save that was killed halfway leaves its temporary file to whoever comes next.
  Listings listings(*ed.fs);
  RemoveStaleTemporaries(".", *ed.fs, listings);
  if (!named.empty() && DirectoryOf(named) != ".") {
    RemoveStaleTemporaries(DirectoryOf(named), *ed.fs, listings);
  }
  // Work kept by an earlier session that ended without quitting may be waiting there, some of
  // it still in a journal that must first be rebuilt.
  if (RecoverJournals(named, kMaxLineLength + 1, *ed.fs, ed.io.out, listings)) {
    listings.Forget();
  }
  NameEmergencyFiles(named, ed, listings);
  ed.line = 0;
  ed.column = 0;
  ed.line_lock = false;
  ed.undo.mode = UndoMode::kNone;
  ed.modified = false;
  return Flow::kContinue;
}

}  // namespace brenik
