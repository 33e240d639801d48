// Saving the document as a plain text file, and the dialog that picks the name.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "term/io.h"

namespace brenik {

enum class SaveResult {
  kSaved,      // the file holds the document; "Saved to" was printed
  kFailed,     // nothing was replaced; a message named the file and the reason
  kCancelled,  // no name was given (end of input, or a name too long, at the name prompt)
};

/// Writes lines 0 .. DocLength to `file_name`, asking for a name while it is empty.
/// The old file stays whole unless the new text is safely on disk; see WriteFileSafely.
[[nodiscard]] SaveResult Save(std::string& file_name, const LineGrid& grid, Io& io, FileSystem& fs);

/// The save-as dialog: the name to Save under now, none when the user returns without one.
/// End of input and a name too long count as "x".
[[nodiscard]] std::optional<std::string> DefineSaveName(Io& io, FileSystem& fs);

}  // namespace brenik
