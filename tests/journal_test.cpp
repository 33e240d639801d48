// SPDX-License-Identifier: MIT
// Sessions that end without a word, as a kill leaves them, and what the next session makes of
// the journals they leave: rebuilt, torn, renamed, doubled, changed underneath, or forged.
#include <gtest/gtest.h>
#include <unistd.h>

#include "files/journal_format.h"
#include "harness.h"

namespace brenik::testing {
namespace {

struct Case {
  std::vector<std::string> args;  // of the session that is killed, on "abc\nxyz\n" in doc
  std::string script;
  const char* between;             // shell commands after the kill
  std::vector<std::string> later;  // the next session's arguments; it quits at once
  std::vector<const char*> said;   // by the next session, in order; "!..." never
  const char* check;               // shell commands that must succeed afterwards
};

const char* const kNoJournal = "! ls -A | grep -q journal";

// clang-format off
const Case kCases[] = {
    {{"doc"}, "X\nD\nw\nY\n", "", {"doc"}, {"\nAn earlier session left unsaved work in doc.save\n"},
     "[ \"$(cat doc.save)\" = \"$(printf 'Xbc\\nY')\" ] && [ \"$(cat doc)\" = \"$(printf 'abc\\nxyz')\" ]"},
    // A record torn by the kill is left out; the rest is rebuilt.
    {{"doc"}, "X\nD\nw\nY\n", "truncate -s -3 .doc.brenik-journal", {"doc"}, {"work in doc.save"},
     "[ \"$(cat doc.save)\" = Xbc ]"},
    {{}, "hello\n", "", {}, {"work in brenik.save"}, "[ \"$(cat brenik.save)\" = hello ]"},
    // The journal follows a new name, and the next session on that name finds it.
    {{"doc"}, "X\nO\nb\nY\n", "", {"b"}, {"work in b.save"},
     "[ \"$(cat b.save)\" = \"$(printf 'Xbc\\nYyz')\" ] && [ ! -e doc.save ]"},
    {{"doc"}, "X\nO\nb\nY\n", "", {"doc"}, {"!work in"}, "[ -e .b.brenik-journal ]"},
    // A file that changed since is not built on; nor is another user's journal, a link, or
    // bytes that are no journal.
    {{"doc"}, "X\n", "echo changed >doc", {"doc"}, {"The journal .doc.brenik-journal of an "
     "ended session was left as it is: the file it started from, /"}, "[ ! -e doc.save ]"},
    {{"doc"}, "X\n", "chown 1234 .doc.brenik-journal", {"doc"}, {"!journal", "!work in"},
     "[ -e .doc.brenik-journal ]"},
    {{"doc"}, "", "ln -s doc .doc.brenik-journal", {"doc"}, {"!journal"}, "[ -L .doc.brenik-journal ]"},
    {{"doc"}, "", "head -c 300 /dev/urandom >.doc.brenik-journal", {"doc"}, {"!journal"},
     "[ -e .doc.brenik-journal ]"},
    {{"doc"}, "", "printf BRNKJNL1 >.doc.brenik-journal; touch -d '1 min ago' .doc.brenik-journal",
     {"doc"}, {"!journal", "!work in"}, kNoJournal},
    // One that young may be a starting session's, not yet locked or written.
    {{"doc"}, "", "printf BRNKJNL1 >.doc.brenik-journal", {"doc"}, {"!journal"}, "[ -e .doc.brenik-journal ]"},
    // Nothing changed, or no journal wanted: nothing is kept.
    {{"doc"}, "g\n2\n", "", {"doc"}, {"!work in"}, kNoJournal},
    {{"--no-journal", "doc"}, "X\n", "", {"doc"}, {"!work in"}, kNoJournal},
};
// clang-format on

// Runs the script as the loop would, and leaves the session as a kill does: its journal holds
// what the loop had written before its next read, and nothing else ends it.
void RunAndKill(const std::string& script, const std::vector<std::string>& args, FaultyFs& fs) {
  Session session(script, fs);
  ASSERT_EQ(session.Start(args), -1);
  Editor& ed = session.ed;
  char input[16];
  while (ReadLine(ed.io, input, 15) != Line::kEnd) {
    static_cast<void>(RunCommand(ed, {input, ed.io.length}));
  }
}

TEST(Journal, TheNextSessionRebuildsWhatAKilledOneLeft) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.script + " | " + c.between);
    TempDir dir;
    WriteFile(".brenik_rc", kTinyRc);
    WriteFile("doc", "abc\nxyz\n");
    FaultyFs fs;
    RunAndKill(c.script, c.args, fs);
    ASSERT_EQ(std::system(c.between), 0);
    const Outcome o = RunSession("q\nq\n", c.later, fs);
    EXPECT_EQ(Unsaid(o.out, c.said), "") << o.out;
    EXPECT_EQ(std::system(c.check), 0) << o.out;
  }
  // A journal of the longest lines the settings allow is rebuilt too.
  TempDir dir;
  WriteFile(".brenik_rc", "max_lines=3\nmax_char=1048575\n");
  FaultyFs fs;
  RunAndKill("X\n", {"doc"}, fs);
  EXPECT_EQ(Unsaid(RunSession("q\nq\n", {"doc"}, fs).out, {"into doc.save"}), "");
}

// A journal made by hand, as anyone may make one: a start record of `lines` and `lsize`, an
// edit of line 0, the forged `kind` of `line` with `text`, and one more edit. The reader takes
// what it may use up to the first record that makes no sense.
struct Forged {
  int lines;
  int lsize;
  RecordKind kind;
  int line;
  std::string text;
  int edits;  // -1: not a journal at all
};

// clang-format off
const Forged kForged[] = {
    {6, 16, RecordKind::kSet, 5, std::string(15, 'a'), 3},
    {1, 3, RecordKind::kSet, 0, "ab", 3},
    {6, 16, RecordKind::kRemove, 5, "", 3},
    {6, 16, RecordKind::kOpen, 5, "", 3},
    {6, 16, RecordKind::kSet, 6, "a", 1},
    {6, 16, RecordKind::kSet, -1, "a", 1},
    {6, 16, RecordKind::kSet, 0, std::string(16, 'a'), 1},
    {6, 16, RecordKind::kSet, 0, std::string("a\0b", 3), 1},
    {6, 16, RecordKind::kRemove, 0, "a", 1},
    {6, 16, RecordKind::kOpen, 6, "", 1},
    {6, 16, RecordKind::kStart, 0, "", 1},
    {0, 16, RecordKind::kSet, 0, "a", -1},
    {6, 2, RecordKind::kSet, 0, "a", -1},
    {6, 17, RecordKind::kSet, 0, "a", -1},
};
// clang-format on

std::string Record(RecordKind kind, const std::string& payload) {
  std::string record(kRecordFrame + payload.size(), '\0');
  payload.copy(record.data() + 5, payload.size());
  FrameRecord(record.data(), kind, payload.size());
  return record;
}

std::string Numbers(std::initializer_list<std::int32_t> numbers) {
  std::string bytes;
  for (const std::int32_t n : numbers) {
    bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
  }
  return bytes;
}

TEST(Journal, AForgedOneIsReadOnlyAsFarAsItMakesSense) {
  for (const Forged& f : kForged) {
    SCOPED_TRACE(std::to_string(f.lines) + " " + std::to_string(f.lsize) + " " +
                 std::to_string(f.line) + " " + f.text);
    const std::string bytes = std::string(kJournalMagic, sizeof kJournalMagic) +
                              Record(RecordKind::kStart, Numbers({1, f.lines, f.lsize})) +
                              Record(RecordKind::kName, "/doc") + Record(RecordKind::kBase, "") +
                              Record(RecordKind::kSet, Numbers({0}) + "x") +
                              Record(f.kind, Numbers({f.line}) + f.text) +
                              Record(RecordKind::kRemove, Numbers({0}));
    const JournalContents read = ReadJournal(bytes.data(), bytes.size(), 16);
    EXPECT_EQ(read.started, f.edits >= 0);
    EXPECT_EQ(static_cast<int>(read.edits.size()), std::max(f.edits, 0));
  }
}

// A session that still runs keeps its journal; the next one says so and keeps its own.
TEST(Journal, TwoSessionsOnOneDocumentEachKeepOne) {
  TempDir dir;
  WriteFile(".brenik_rc", kTinyRc);
  WriteFile("doc", "abc\n");
  FaultyFs fs;
  Session first("X\n", fs);
  ASSERT_EQ(first.Start({"doc"}), -1);
  static_cast<void>(RunCommand(first.ed, "X"));
  first.ed.journal.BeforeRead();
  const Outcome second = RunSession("Y\n", {"doc"}, fs);
  EXPECT_EQ(Unsaid(second.out, {("Another session (process " + std::to_string(getpid()) +
                                 ") is editing doc; each keeps its own journal\n\nEditing")
                                    .c_str(),
                                "written to doc.save\n"}),
            "");
  EXPECT_EQ(std::system("[ -e .doc.brenik-journal ] && ! ls -A | grep -q 'journal-'"), 0);
  // A journal under a fresh name moves with a new name too, and the next session on it finds it.
  RunAndKill("Y\nO\nnew\nZ\n", {"doc"}, fs);
  EXPECT_EQ(Unsaid(RunSession("q\nq\n", {"new"}, fs).out, {"into new.save"}), "");
  EXPECT_EQ(ReadFile("new.save"), "Ybc\nZ\n");
  // After a save that damaged the file, the journal starts from the document itself.
  std::system("ln doc twin");
  fs.Fail(FaultyFs::kTruncate, 1, EIO);
  RunAndKill("D\nS\nW\n", {"doc"}, fs);
  EXPECT_EQ(Unsaid(RunSession("q\nq\n", {"doc"}, fs).out, {"into doc.save.2"}), "");
  EXPECT_EQ(ReadFile("doc.save.2"), "W\n");
  // A journal that cannot be written says so once, and the session goes on without one.
  fs.Fail(FaultyFs::kJournal, 1, ENOSPC);
  const Outcome failed = RunSession("Z\nW\n", {"other"}, fs);
  EXPECT_EQ(Unsaid(failed.out, {"Cannot write the journal .other.brenik-journal: No space left on "
                                "device; unsaved work is not kept against a crash now\n",
                                "!Cannot make", "written to other.save"}),
            "")
      << failed.out;
}

}  // namespace
}  // namespace brenik::testing
