// Memory about to be filled: where a first touch of each small page costs more than filling
// it, whole blocks are better backed by huge pages.
#pragma once

#include <cstddef>

namespace brenik {

/// The size of a huge page, and the alignment that lets a block use one.
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;

/// Asks for huge pages over the whole huge-page blocks within [begin, end), and over the block
/// that `end` falls in when it is at least half filled and ends within `limit`: never more
/// than half a huge page is then paid for bytes nobody writes. Only a hint.
void AdviseHugePages(char* begin, char* end, char* limit);

}  // namespace brenik
