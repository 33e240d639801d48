// SPDX-License-Identifier: MIT
// The help menu: the limits and, section by section, every command with its current key.
#pragma once

#include "term/commands.h"
#include "term/io.h"

namespace brenik {

/// Runs the menu until an answer starts with 'x' or input ends.
void Help(const CommandKeys& keys, int lines, int lsize, Io& io);

}  // namespace brenik
