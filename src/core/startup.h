// SPDX-License-Identifier: MIT
// Start-up: the banner, the settings, the grid and the first file.
#pragma once

#include "core/editor.h"

namespace brenik {

/// kFatal when the editor cannot start, kQuit after --help or --version.
[[nodiscard]] Flow StartUp(Editor& ed, int argc, char** argv);

}  // namespace brenik
