#pragma once
#include <cstdint>
#include <vector>

namespace flowdesk {

// A run of bytes of unknown length: a frame, a register block, a file's
// contents. One name everywhere, so that the helpers of one layer take what
// another layer hands them.
using Bytes = std::vector<std::uint8_t>;

}  // namespace flowdesk
