// SPDX-License-Identifier: MIT
// The settings file ".brenik_rc": read at start-up, created with the defaults when missing.
#pragma once

#include <cstddef>
#include <cstdio>

#include "files/filesystem.h"
#include "settings/settings.h"

namespace brenik {

/// Reads the settings file into `settings`, or creates it.
void ReadRC(Settings& settings, std::FILE* out, FileSystem& fs);

/// Applies the lines of a settings text, in order, to `settings`.
void ApplyRC(const char* text, std::size_t length, Settings& settings);

}  // namespace brenik
