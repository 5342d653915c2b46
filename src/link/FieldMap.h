// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace flowdesk {

// How a field sits in a block's bytes. The numbers are the unit's encoding
// codes and must not change. Every multi-byte value is big-endian.
enum class Encoding : std::uint8_t {
  kFloat32 = 0,       // 4 bytes, IEEE single
  kInt32 = 1,         // 4 bytes, signed
  kUInt16 = 2,        // 2 bytes, unsigned, into an integer
  kByte = 3,          // 1 byte, unsigned, into an integer
  kBit = 4,           // bit <parameter> of a 16-bit register
  kNibble = 5,        // parameter 0: low half of a byte, otherwise high half
  kUInt16Scaled = 6,  // unsigned 16-bit / parameter
  kInt24Scaled = 7,   // signed 24-bit / parameter
  kByteScaled = 8,    // unsigned byte / parameter
  kInt16Scaled = 9,   // signed 16-bit / parameter
  kRawChars = 10,     // <parameter> bytes into a char array of parameter + 1; read-only
  kByteArray = 11,    // <parameter> signed bytes into floats; read-only
  kText = 12,         // <parameter> bytes (at most 49), Windows-1252, blank-padded
};

// Longest Text field the unit has.
inline constexpr int kMaxTextLength = 49;

// Size of the data area of a write request (frame bytes 7 to 511).
inline constexpr std::size_t kRequestDataSize = 505;

// Fixed-size targets carry their capacity so that a row can never write past
// the end of its field, whatever its parameter says.
struct CharArrayRef {
  char* data = nullptr;
  std::size_t size = 0;
};
struct FloatArrayRef {
  float* data = nullptr;
  std::size_t size = 0;
};

template <std::size_t N>
CharArrayRef charArray(std::array<char, N>& a) {
  return {a.data(), N};
}
template <std::size_t N>
FloatArrayRef floatArray(std::array<float, N>& a) {
  return {a.data(), N};
}

using FieldTarget = std::variant<std::monostate, float*, std::int32_t*, std::int16_t*, std::string*,
                                 CharArrayRef, FloatArrayRef>;

struct FieldRow {
  FieldTarget target;
  Encoding encoding = Encoding::kByte;
  std::int16_t offset = 0;     // byte offset in the block's data
  std::int16_t parameter = 0;  // divisor, bit number, nibble selector or length
  std::int16_t reserved = 0;
  std::int32_t defaultRaw = 0;  // what encodeDefaults writes, unscaled
  std::string defaultText{};    // the same for Text rows
};

// A row as the maps write it: target, encoding, offset, parameter, default.
inline FieldRow makeRow(FieldTarget target, Encoding encoding, int offset, int parameter = 0,
                        std::int32_t defaultRaw = 0) {
  FieldRow r;
  r.target = target;
  r.encoding = encoding;
  r.offset = static_cast<std::int16_t>(offset);
  r.parameter = static_cast<std::int16_t>(parameter);
  r.defaultRaw = defaultRaw;
  return r;
}

// The rows that map one register block onto DeviceImage fields, in the order
// they are applied (a later row wins when two rows share a field). A row with
// an empty target ends the map. byteCount is the block's data size.
struct FieldMap {
  std::vector<FieldRow> rows;
  std::size_t byteCount = 0;

  std::size_t rowCount() const;  // rows before the end mark
};

// Bytes a row occupies in the block.
int encodedWidth(Encoding encoding, int parameter);

// Block bytes into the image. `data` holds at least map.byteCount bytes (the
// reply data from frame byte 3, or a file's block).
void decodeReply(const FieldMap& map, const std::uint8_t* data);

// Same, for data of known length: a row that does not fit in `size` bytes is
// left alone, so a short block never reads past its end.
void decodeReply(const FieldMap& map, const std::uint8_t* data, std::size_t size);

// Zeroes the kRequestDataSize bytes of `area`, then writes every row from the
// image. Whole-byte encodings overwrite; Nibble and Bit rows OR into place.
void encodeRequest(const FieldMap& map, std::uint8_t* area);

// Zeroes the area, then writes every row's default raw value unscaled; Text
// rows write their default text blank-padded; Float32, RawChars and ByteArray
// rows write nothing.
void encodeDefaults(const FieldMap& map, std::uint8_t* area);

// A block of which only the first `size` bytes are known (a file from an
// older program, whose block is shorter): decoded whole, the fields past
// those bytes taking their defaults rather than keeping what the image held.
void decodeOverDefaults(const FieldMap& map, const std::uint8_t* data, std::size_t size);

// True when the image, encoded with `map`, differs from the first
// map.byteCount bytes of `lastReplyData` (the block as last read).
bool blockModified(const FieldMap& map, const std::uint8_t* lastReplyData);

// The integer a scaled field is stored as: roundHalfAway(value x multiplier),
// the product taken in single precision like the image's fields (a typed 0.35
// at divisor 10 is 4, not 3). Non-finite values give 0; huge ones saturate.
std::int64_t scaledRaw(float value, int multiplier);

}  // namespace flowdesk
