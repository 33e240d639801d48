// SPDX-License-Identifier: MIT
// Loads, saves, settings and the launched command in a fresh directory: shell set-up, injected
// faults, messages in order, and shell checks of the files afterwards.
#include <gtest/gtest.h>

#include "harness.h"

namespace brenik::testing {
namespace {

using Fs = FaultyFs;

struct Case {
  const char* setup;  // shell commands run in the directory first
  std::vector<std::string> args;
  std::string script;
  std::vector<const char*> said;
  const char* check = "true";  // shell commands that must succeed afterwards
  struct Fault {
    Fs::Call call;
    int nth;
    int error;
  };
  std::vector<Fault> faults = {};  // the n-th call of a kind fails with an errno
  const char* log = "";            // calls that must have been made in this order
};

// "doc" holds "old" and the typed "new" replaces it; start-up opens .brenik_rc, then doc.
const char* const kOld = "echo old >doc";
const std::vector<std::string> kDoc = {"doc"};
const char* const kKept = "[ \"$(cat doc)\" = old ] && ! ls -A | grep -q brenik-save";
const char* const kLaunch = "echo old >doc; echo launch_command=touch x >>.brenik_rc";
const std::string kLong(256, 'n');  // one character more than a name may have
const char* const kNew = "[ \"$(cat doc)\" = new ] && ! ls -A | grep -q save";
const std::string kLongSave = "written to " + kLong.substr(6) + ".save\n";  // the longest name

// A save of "new" over "old" that fails as `message` says when the n-th call of a kind fails.
Case SaveFails(const char* message, Fs::Call call, int nth, int error) {
  return {kOld, kDoc, "new\nS\n", {message, "written to doc.save"}, kKept, {{call, nth, error}}};
}

// clang-format off
const Case kCases[] = {
    // Saves that fail leave the old file whole, no temporary file, and the work unsaved.
    SaveFails("Cannot save to doc: Input/output error", Fs::kFsync, 1, EIO),
    SaveFails("Cannot save to doc: No space left on device", Fs::kWrite, 1, ENOSPC),
    SaveFails("Cannot save to doc: Read-only file system", Fs::kRename, 1, EROFS),
    SaveFails("Cannot save to doc: Permission denied", Fs::kOpen, 3, EACCES),
    SaveFails("Cannot save to doc: Disk quota exceeded", Fs::kOpen, 4, EDQUOT),
    SaveFails("Cannot save to doc: Permission denied", Fs::kLstat, 1, EACCES),
    SaveFails("Cannot save to doc: Input/output error", Fs::kWrite, 1, 0),
    {kOld, kDoc, "new\n", {"written to brenik.save"},
     "[ ! -e doc.save ] && [ $(cat brenik.save) = new ]",
     {{Fs::kFsync, 2, EIO}}},
    // The limits cost nothing until text is there: a line far down costs its way there only.
    {"printf 'max_lines=2147483647\\nmax_char=1048575\\n' >.brenik_rc", {}, "g\n1000000\nX\nz\n",
     {"!Not enough memory", "Editing 1000001:1", "Editing 1000000:1"}},
    {kOld, kDoc, "new\nS\n", {"Cannot remove the temporary file .brenik-save-", "Cannot save"},
     "[ \"$(cat doc)\" = old ]", {{Fs::kFsync, 1, EIO}, {Fs::kUnlink, 1, EIO}}},
    // The owner's set-id bits stay; set-user-id goes when the owner cannot be given back.
    {"echo old >doc; chmod 6755 doc", kDoc, "new\nS\n", {"Saved"}, "[ $(stat -c %a doc) = 6755 ]"},
    {"echo old >doc; chmod 6755 doc", kDoc, "new\nS\n", {"Saved"},
     "[ \"$(cat doc)\" = new ] && [ $(stat -c %a doc) = 2755 ]",
     {{Fs::kFchown, 1, EPERM}}},
    // A folder that refuses a new file gets the text written in place.
    {kOld, kDoc, "new\nS\n", {"Saved to doc"}, kNew, {{Fs::kOpen, 4, EACCES}},
     "open doc, write, write, fsync"},
    // Links: a symbolic link stays a link, a hard link is written in place.
    {"echo old >real; ln -s real doc", kDoc, "new\nS\n", {"Saved to doc"},
     "[ -L doc ] && [ \"$(cat real)\" = new ]"},
    // A failure once the old text is being overwritten: said plainly, and the work kept at once.
    {"echo old >doc; ln doc twin", kDoc, "new\nS\n", {"Cannot save to doc: Input/output error; "
     "the file on disk is damaged\nUnsaved changes were written to doc.save\n\nEditing 2:1 doc"},
     "[ $(cat doc.save) = new ]", {{Fs::kFsync, 1, EIO}}},
    {"echo old >doc; ln doc twin", kDoc, "new\nS\nS\n", {"Cannot save to doc: Input/output error; "
     "the file on disk is damaged\nUnsaved", "  > Saved to doc"},
     "[ \"$(cat doc)\" = new ] && [ $(cat doc.save) = new ]", {{Fs::kTruncate, 1, EIO}}},
    // Room is reserved before the first old byte is overwritten: a full disk leaves it whole.
    {"echo old >doc; ln doc twin; touch -d @1000000000 doc", kDoc, "new\nS\n", {"Cannot save to "
     "doc: No space left on device\n\nEditing", "!damaged"},
     "[ \"$(cat twin)\" = old ] && [ $(stat -c %Y doc) = 1000000000 ]", {{Fs::kReserve, 1, ENOSPC}}},
    {"echo old >doc; ln doc twin", kDoc, "new\nS\n", {"Saved to doc"}, kNew,
     {{Fs::kReserve, 1, EOPNOTSUPP}}},
    // A rename refused where the file itself may be written falls back to writing it in place.
    {kOld, kDoc, "new\nS\n", {"Saved to doc"}, kNew, {{Fs::kRename, 1, EXDEV}},
     "rename, open doc, write, write, fsync"},
    {"echo old >doc; ln doc twin", kDoc, "new\nS\n", {"Saved to doc"},
     "[ \"$(cat twin)\" = new ] && [ \"$(stat -c %h doc)\" = 2 ]", {},
     "open doc, write, write, fsync"},
    {"echo old >doc; ln doc twin", kDoc, "new\nS\n",
     {"Cannot save to doc: Input/output error; the file on disk is damaged"}, "true",
     {{Fs::kWrite, 1, EIO}}},
    {"ln -s sub/new doc; mkdir sub", kDoc, "new\nS\n", {"Saved to doc"},
     "[ \"$(cat sub/new)\" = new ]"},
    {"ln -s b doc; ln -s doc b", {}, "S\ndoc\n", {"Cannot save to doc: Too many levels of"}},
    {"ln -s /etc/x doc", {}, "S\ndoc\n", {"Cannot save to doc: Permission denied"}},
    {"mkdir dir", {}, "S\ndir\n", {"Cannot save to dir: Is a directory"}},
    {"mkfifo fifo", {}, "S\nfifo\n", {"Cannot save to fifo: No such device or address"}},
    // Short writes are carried on; the order of calls puts the text on disk before the rename.
    {kOld, kDoc, "new\nS\n", {"Saved to doc"}, kNew, {},
     "open temp, write, write, fsync, rename, open ., fsync"},
    // The save-as dialog.
    {kOld, kDoc, "s\nx\ns\ndoc\nother\ns\ndoc\no\n",
     {"x' to return", "Saved to other", "Saved to doc"}, kKept},
    {"echo old >doc; echo a >a; echo o >o", kDoc, "new\ns\ndoc\na\no\nb\n",
     {"The file already exists.\nEnter a new filename or 'o' to overwrite\n", "File exists. Try",
      "File exists. Try again\n", "Saved to b"},
     "[ \"$(cat b)\" = new ] && [ \"$(cat a)\" = a ] && [ \"$(cat o)\" = o ]"},
    {kOld, kDoc, "new\ns\ndoc\no\n", {"Saved to doc"}, kNew},
    {"", {}, "new\nS\n\nname\n",
     {"Enter a filename to save to\nEnter a filename to save to\nSaved to name"},
     "[ \"$(cat name)\" = new ]"},
    // Loads.
    {"", {"none"}, "new\nS\n", {"File none not found!", "Saved to none"}, "[ -f none ]"},
    {"mkdir dir", {"dir"}, "", {"Cannot open dir: Is a directory"}},
    {"touch empty", {"empty"}, "", {"Opened empty\nRead 0 bytes, 0 Lines Generated\n"}},
    {"mkfifo fifo", {"fifo"}, "S\n", {"Cannot open fifo: not a regular file", "save to\n"}},
    {kOld, kDoc, "", {"Cannot open doc: Permission denied"}, "true", {{Fs::kOpen, 2, EACCES}}},
    {kOld, kDoc, "", {"Cannot open doc: Input/output error"}, "true", {{Fs::kRead, 3, EIO}}},
    {kOld, kDoc, "", {"Cannot open doc: only 0 of its 4 bytes could be read"}, "true",
     {{Fs::kRead, 3, 0}}},
    {"printf 'ab\\0cd\\nef\\n' >doc", kDoc, "Y\nS\n",
     {"Read 9 bytes, 0 Lines Generated\nWarning! A zero byte at offset 2 ends the text; the 6 "
      "bytes from there on are not loaded\n\nWarning!! Only 25.0 percent", "[1] ab\n"}},
    {"printf '1\\n2\\n3\\n4\\n5\\n6\\n7' >doc", kDoc, "",
     {"Read 13 bytes, 6 Lines Generated\nWarning! The last 1 byte(s) of the text did not fit into "
      "6 lines and are not loaded\n\nWarning!! Only 92.3 percent"}},
    {"printf '1\\n2\\n3\\n4\\n5\\n0123456789abcdefX\\n' >doc", kDoc, "Y\n",
     {"Warning! The last 2 byte(s) of the text did not fit into 6 lines", "Only 96.3 percent"}},
    {"printf 'max_lines=1\\nmax_char=3000\\n' >.brenik_rc; printf %3000s\\nb >doc", kDoc, "Y\n",
     {"Only 99.9 percent"}},
    {"printf '123456789012345678\\n1\\n2\\n3\\n4\\n5\\n6\\n7\\n' >doc", kDoc, "Y\nS\n",
     {"WARNING!  Line 1 is being split\n6 Lines Generated\n\nWarning!! Only 84.4 percent of the "
      "data was loaded!\nThe unloaded data will be lost if you save to the same filename!\nDo "
      "you wish to continue (Y,n)?\nIf not, restart with more lines by editing the .brenik_rc "
      "file.\n",
      "[1] 123456789012345\n 2  678\n"},
     "[ \"$(wc -l <doc)\" = 6 ]"},
    {"printf '1\\n2\\n3\\n4\\n5\\n6\\n7\\n8\\n' >doc", kDoc, "Y \n", {"Only 80.0 percent"},
     "[ \"$(wc -l <doc)\" = 8 ]"},
    // The open dialog.
    {"echo old >doc; echo other >b", {}, "O\nx\nO\nb\n",
     {"Enter a filename to open a new file and discard the buffer in memory\nEnter 's' to first "
      "save the current buffer in memory\nEnter 'x' to not open a file and return\n",
      "Opened b\nRead 6 bytes, 0 Lines Generated\n", "Editing 1:1 b\n\n[1] other\n"}},
    {"echo old >doc", {}, "new\nO\ns\ndoc\ndoc\n",
     {"Enter a filename to save to\n", "Saved to doc\nNext, enter a new filename to open\n",
      "Opened doc"},
     "[ \"$(cat doc)\" = new ]"},
    {kOld, kDoc, "new\nO\ns\n", {"Cannot save to doc", "Editing 2:1 doc"}, "true",
     {{Fs::kFsync, 1, EIO}}},
    {"printf '1\\n2\\n3\\n4\\n5\\n6\\n7\\n8\\n' >big", kDoc, "new\nO\nbig\nn\nS\n",
     {"File big was not opened\n", "Editing 2:1 doc"}, "[ \"$(cat doc)\" = new ]"},
    {"", kDoc, "O\nnone\nnew\nS\n", {"File none not found!", "Saved to none"}, "[ -f none ]"},
    {"printf 'abc\\nb\\nc\\n' >doc; echo x >short", kDoc, "O\nshort\nS\n", {"Saved to short"},
     "[ \"$(cat short)\" = x ]"},
    // The settings file.
    {"rm .brenik_rc", {}, "",
     {"Making RC file: .brenik_rc\n\nEnter 'h' for help or 'q' to quit\n"},
     "grep -qx quit=q .brenik_rc && grep -qx max_char=255 .brenik_rc && [ \"$(wc -c <.brenik_rc)\" = 561 ]"},
    {"rm .brenik_rc", {}, "", {"Making RC file: .brenik_rc\nCannot make RC file\n"},
     "[ ! -e .brenik_rc ]", {{Fs::kWrite, 1, ENOSPC}}},
    {"rm .brenik_rc; mkdir .brenik_rc", {}, "",
     {"Cannot read RC file .brenik_rc: Is a directory; using the defaults\n"}},
    {"rm .brenik_rc; mkfifo .brenik_rc", {}, "",
     {"Cannot read RC file .brenik_rc: not a regular file; using the defaults"}},
    {"", {}, "", {"Cannot read RC file .brenik_rc: Input/output error; using the defaults"},
     "true", {{Fs::kRead, 1, EIO}}},
    {"printf 'help=H\\nquit=QQ\\nundo\\nmax_lines=3\\nmax_char=99999999999\\n"
     "anchor_position=5\\nlines_per_page=2\\nshow_numbers=no\\nlaunch_command=make open\\n' "
     ">.brenik_rc",
     {}, "a\nH\ne\nx\n+\n\n",
     {"Reading RC file: .brenik_rc\n\nEnter 'H' for help or 'q' to quit\n", "Editing 1:5 \n\n>\n",
      "Limits:  Line length = 255     Total Lines = 3\n", "'z' to undo an edit",
      "There is no command in memory"}},
    {"printf 'max_char=2\\nmax_lines=0\\nanchor_position=3\\nlaunch_command=ls\\n' >.brenik_rc",
     {}, "h\nm\nf\ne\nn\nx\n+\n\n",
     {"Line length = 2     Total Lines = 32767", "    '#' to toggle", "    'O' to open",
      "    'z' to undo", "\nNavigation:\n----------\n\n    'b' to move back", "Command in memory = ls\n"}},
    {"printf 'position_back=B\\nmax_char=2147483647\\nmax_lines=20\\nlines_per_page=20\\n' >.brenik_rc",
     {}, "n\nB\n", {"Editing 1:2", "Editing 1:1 \n\n[1] \n 2\n 3\n 4\n 5\n 6\n 7\n 8\n  > "}},
    {"printf 'max_char=5\\nanchor_position=5\\nmax_char=3\\n' >.brenik_rc", {}, "a\n",
     {"Editing 1:1", "Editing 1:1"}},
    {"printf 'max_char=15\\nanchor_position=15\\nlines_per_page=0\\nlines_per_page=1\\nshow_numbers=off"
     "\\nshow_numbers=on\\n' >.brenik_rc", {}, "a\n", {"Editing 1:15 \n\n[1] \n  > "}},
    {"printf 'max_char=15\\nanchor_position=3\\nanchor_position=16\\nlines_per_page=0\\n' >.brenik_rc",
     {}, "a\n", {"Editing 1:3 \n\n[1] \n 2\n 3\n 4\n 5\n 6\n 7\n 8\n  > "}},
    // Keys from the settings file are shown safely; an ESC is never a key, and the cursor keys
    // do what they are whatever the keys of their commands.
    {"echo old >doc; printf 'help=H\\nquit=\\r\\nundo=\\033\\nposition_up=u\\n' >>.brenik_rc", kDoc,
     "H\ne\nm\nx\nX\n\x1b\n\x1b[A\n\x1b[B\n\x1b[B\nS\n", {"Enter 'H' for help or '?' to quit\n",
     "'?' to undo an edit", "'?' to quit", "not typed", "Editing 1:1", "Editing 3:1 doc"}, "grep -x Xld doc"},
    {"printf 'max_lines=1\\nmax_char=1048575\\nmax_char=1048576\\nmax_char=500000000\\n' >.brenik_rc",
     {}, "h\nx\n", {"Line length = 1048575     Total Lines = 1\n"}},
    {"printf 'quit=Q\\n' >.brenik_rc; truncate -s 1G .brenik_rc", {}, "", {"Reading RC file: .brenik_rc"
     "\nCannot read RC file .brenik_rc: larger than 1 MiB; using the defaults\n\nEnter 'h' for help or "
     "'q' to quit\n"}, "[ $(stat -c %s .brenik_rc) = 1073741824 ]"},
    {"printf 'quit=Q\\n' >.brenik_rc; truncate -s 1M .brenik_rc", {}, "", {"or 'Q' to quit"}},
    // Large documents are kept whole by the emergency save, a line longer than its buffer too.
    {"printf 'max_lines=3\\nmax_char=20000\\n' >.brenik_rc; (printf '%17000s\\n' a; printf '%9999s\\n' b c) >doc",
     kDoc, "!\n", {"written to doc.save"}, "cmp doc doc.save"},
    {"printf 'max_lines=3\\nmax_char=20000\\n' >.brenik_rc; printf '%17000s\\n' a >doc", kDoc, "!\n",
     {"written to brenik.save"}, "cmp doc brenik.save && [ ! -e doc.save ]", {{Fs::kWrite, 1, EIO}}},
    {"", {kLong.substr(6)}, "new\n", {kLongSave.c_str()}},
    {"echo old >doc; touch b", kDoc, "new\ns\nb\n", {"written to doc.save"}},
    // The launched command runs after a save, and not at all when the save fails.
    {"", {}, "+\ntrue\n=\nname\n", {"Enter new command or [enter] to keep current one\n",
                                       "Enter a filename to save to\n", "Saved to name"}},
    {"", {}, "=\nx\n=\n", {"There is no command in memory"}},
    // A command from the settings file runs only once agreed to; a typed one runs at once.
    {kLaunch, kDoc, "new\n+\n\n=\nn\n=\nyes\n=\n", {"Command in memory", "Run touch x, the command "
     "from .brenik_rc? Enter 'y' to save and run it\n\nEditing", "run it\n\nEditing",
     "run it\n\nUnsaved changes were written"}, kKept},
    {kLaunch, {}, "new\n=\ny\n" + kLong + "\n", {"save to\nThe answer was longer"}, kKept},
    {kLaunch, kDoc, "new\n=\ny\n=\n", {"run it\nSaved to doc\n", "  > Saved to doc"}, kNew, {},
     "run touch x, open doc"},
    {"", {}, "+\necho \x01\n+\n" + kLong + "\n+\nx\n+\n\n", {"Command in memory = echo ?\n",
     "The answer was longer than 255 characters and was not used\n", "= echo ?\n", "= echo ?\n"}},
    // Names: a line too long is refused whole, and a control byte is shown as '?'.
    {kOld, kDoc, "s\n" + kLong + "\ns\n" + kLong.substr(1) + "\n", {"longer than 255 characters "
     "and was not used\n\nEditing 1:1 doc", "Saved to nnn"}, "[ -f $(printf 'n%.0s' $(seq 255)) ]"},
    {kOld, kDoc, "s\n\n" + kLong + "\ns\ndoc\n" + kLong + "\n",
     {"return\nEnter a filename to save to\nThe answer was longer", "not used\n\nEditing 1:1 doc",
      "overwrite\nThe answer", "not used\n\nEditing 1:1 doc"}},
    {"", {}, "new\nO\ns\nfirst\n" + kLong + "\n", {"Saved to first\nNext,",
     "was not used\n\nEditing 2:1 \n"}, "[ \"$(cat first)\" = new ]"},
    {"", {"a\x01" "b"}, "new\n", {"File a?b not found!", "1:1 a?b\n", "written to a?b.save"}},
    {"touch doc.save", kDoc, "", {"An earlier session left unsaved work in doc.save\n\nEditing"}},
    {"mkdir home tmp; touch doc.save.12 doc.save.2 home/doc.save-0123abcd tmp/doc.save-89abcdef "
     "doc.save.x doc.save.02 doc.save-123 doc.saved tmp/doc.save-0123abcg; ln -s x doc.save",
     kDoc, "", {"\nEarlier sessions left unsaved work in doc.save.2, doc.save.12, "
     "home/doc.save-0123abcd and tmp/doc.save-89abcdef\n\nEditing"}},
    // Names that anyone may take do not stop the emergency save: the last number is tried, and
    // then a fresh name is made.
    {"perl -e 'symlink \"x\", $_ for (\"doc.save\", map {\"doc.save.$_\"} 1..998)'", kDoc, "new\n",
     {"written to doc.save.999\n"}},
    {"perl -e 'symlink \"x\", $_ for (\"doc.save\", \"brenik.save\", map {(\"doc.save.$_\", "
     "\"brenik.save.$_\")} 1..999)'", kDoc, "new\n", {"written to doc.save-"},
     "[ \"$(cat doc.save-*)\" = new ]"},
    // A failed save under a new name leaves the old one, and with it the emergency file's name.
    {kOld, kDoc, "new\ns\nnodir/x\n", {"Cannot save to nodir/x: No such file or directory\n\n"
     "Editing 2:1 doc\n", "written to doc.save"}},
    // A file changed or removed since it was loaded is replaced only when the user says so.
    {"echo old >doc; echo 'launch_command=echo more >>doc' >>.brenik_rc", kDoc,
     "new\n=\ny\nS\nn\nS\no\n", {"Saved to doc\n", "> doc changed on disk since it was "
     "loaded or saved; enter 'o' to overwrite it\n\nEditing", "overwrite it\nSaved to doc"},
     kNew},
    {"echo old >doc; echo 'launch_command=rm doc' >>.brenik_rc", kDoc, "new\n=\ny\n=\n\nS\nx\n",
     {"Saved to doc\n", "doc was removed since it was loaded or saved; enter 'o' to write it "
      "again\n\nEditing", "write it again\n\nEditing"}, "[ ! -e doc ]"},
    // Another user's link in a shared sticky folder is not followed.
    {"echo old >real; ln -s real doc; chown -h 1234 doc; chmod 1777 .", kDoc, "new\nS\n",
     {"Cannot save to doc: the link doc belongs to another user in a shared folder, so it is not "
     "followed\n"}, "[ \"$(cat real)\" = old ]"},
    // What a killed save left is removed by the next session, unless a save still holds it.
    {"mkfifo held; (exec 9>.brenik-save-0123abcd; flock 9; echo >held; sleep 5) >/dev/null 2>&1 & "
     "read x <held; touch .brenik-save-89abcdef .brenik-save-x", {}, "", {},
     "[ -e .brenik-save-0123abcd ] && [ ! -e .brenik-save-89abcdef ] && [ -e .brenik-save-x ]"},
    {"touch brenik.save", {""}, "", {"An earlier session left unsaved work in brenik.save\n"}},
    {"", {kLong}, "", {"File name is longer than 255 characters\n"}},
};
// clang-format on

TEST(Files, SavesLoadsAndSettingsThroughTheEditor) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.setup) + " | " + c.script);
    TempDir dir;
    WriteFile(".brenik_rc", kTinyRc);
    ASSERT_EQ(std::system(c.setup), 0);
    FaultyFs fs;
    fs.write_limit = 3;
    fs.shell = true;
    for (const Case::Fault& f : c.faults) {
      fs.Fail(f.call, f.nth, f.error);
    }
    const Outcome o = RunSession(c.script, c.args, fs);
    EXPECT_EQ(Unsaid(o.out, c.said), "") << o.out;
    EXPECT_EQ(std::system(c.check), 0) << o.out;
    EXPECT_NE(fs.log.find(c.log), std::string::npos) << fs.log;
  }
}

}  // namespace
}  // namespace brenik::testing
