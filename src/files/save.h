// Saving the document as a plain text file, and the dialog that picks the name.
#pragma once

#include <string>

#include "buffer/grid.h"
#include "core/io.h"
#include "files/filesystem.h"

namespace brenik {

enum class SaveResult {
  kSaved,      // the file holds the document; "Saved to" was printed
  kFailed,     // nothing was replaced; a message named the file and the reason
  kCancelled,  // no name was given (end of input at the name prompt)
};

/// Writes lines 0 .. DocLength to `file_name`, asking for a name while it is empty.
[[nodiscard]] SaveResult Save(std::string& file_name, LineGrid& grid, Io& io, FileSystem& fs);

/// The save-as dialog: 1 when the caller is to Save under `file_name` now, 0 when not.
[[nodiscard]] int DefineSaveName(std::string& file_name, Io& io, FileSystem& fs);

}  // namespace brenik
