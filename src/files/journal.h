// SPDX-License-Identifier: MIT
// The journal: every change to the document, on the disk before the editor waits for the next
// line, so that a kill, a crash or a power cut loses nothing that was on the screen.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "files/journal_format.h"
#include "files/stamp.h"
#include "term/io.h"

namespace brenik {

/// Made at the first change after a load or a save, beside the document (or, when that folder
/// cannot take it, where an emergency file would go), and removed when the session ends
/// cleanly. A lock on it tells other sessions that this one still runs.
class Journal final : public ReadHook {
 public:
  Journal() = default;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;
  /// Leaves the journal's file where it is, as a kill would: only Close removes it.
  ~Journal() override;

  /// Until this is called, or when `enabled` is false, nothing is ever written.
  void Configure(FileSystem& fs, std::FILE* out, int lines, int lsize, bool enabled);

  /// The document is now called `name` ("" for none); a journal already made follows it.
  void Follow(const std::string& name);
  /// The document now equals the file `name` as `stamp` describes it, or is empty when `name`
  /// is "": what the journal held is dropped, and the next change starts it anew from there.
  void Rebase(const std::string& name, const FileStamp& stamp);
  /// Starts the journal anew from the document as the grid holds it, line by line: for when no
  /// file holds what the journal started from any more.
  void Restart(const LineGrid& grid);

  /// Records that an edit gave a line its present text, removed a line, or opened an empty one.
  void Set(int line, const LineGrid& grid);
  void Remove(int line);
  void Open(int line);

  /// Removes the journal: the work is saved, kept elsewhere or given up.
  void Close();

  /// The journal's file; "" while there is none.
  [[nodiscard]] const std::string& path() const { return path_; }

  void BeforeRead() override;
  [[nodiscard]] bool Unsynced() const override { return unsynced_ || used_ > 0; }
  void BeforeWait() override;

 private:
  void Edit(RecordKind kind, int line, const char* text, std::size_t length);
  bool Begin();
  bool Create(const std::string& path);
  template <typename Make>
  bool MakeFresh(Make make);
  void Append(RecordKind kind, const char* head, std::size_t head_size, const char* text,
              std::size_t length);
  void Write();
  void Fail(int error);

  FileSystem* fs_ = nullptr;
  std::FILE* out_ = nullptr;
  bool enabled_ = false;
  bool failed_ = false;
  int lines_ = 0;
  int lsize_ = 0;
  std::string folder_;     // the working folder, absolute
  std::string name_;       // the document's name as given
  std::string absolute_;   // and as an absolute path
  std::string primary_;    // the journal's name beside the document
  std::string base_path_;  // the file the document equalled, absolute; "" for an empty document
  FileStamp base_;

  int fd_ = -1;
  std::string path_;
  bool folder_synced_ = false;
  bool unsynced_ = false;
  std::unique_ptr<char[]> pending_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};

}  // namespace brenik
