// SPDX-License-Identifier: MIT
// Saving the document as a plain text file, and the dialog that picks the name.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "files/stamp.h"
#include "term/io.h"

namespace brenik {

enum class SaveResult {
  kSaved,      // the file holds the document; "Saved to" was printed
  kFailed,     // nothing was replaced; a message named the file and the reason
  kDamaged,    // a write in place failed halfway: the file is damaged, the work rescued
  kCancelled,  // no name was given, or the user kept a file that changed on disk
};

/// Writes lines 0 .. DocLength to `file_name`, asking for a name while it is empty; a name
/// asked for here is given up again when the save fails. `stamp` describes the file under
/// `file_name` as it was last loaded or saved: when the file changed since, the user is asked
/// before it is replaced. After a save it describes the new file. The old file stays whole
/// unless the new text is safely on disk (see WriteFileSafely); when a write in place damaged
/// it, the document goes to an emergency file at once.
[[nodiscard]] SaveResult Save(std::string& file_name, FileStamp& stamp, const LineGrid& grid,
                              Io& io, FileSystem& fs);

/// The save-as dialog: the name to Save under now, none when the user returns without one.
/// End of input and a name too long count as "x".
[[nodiscard]] std::optional<std::string> DefineSaveName(Io& io, FileSystem& fs);

}  // namespace brenik
