// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FieldMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Numeric.h"
#include "base/Windows1252.h"

namespace flowdesk {

namespace {

bool isEnd(const FieldRow& row) {
  return std::holds_alternative<std::monostate>(row.target);
}

// A zero or negative divisor would make every value meaningless (or infinite);
// such a row is read and written unscaled.
int divisorOf(const FieldRow& row) {
  return row.parameter > 0 ? row.parameter : 1;
}

int textLength(int parameter) {
  return std::clamp(parameter, 0, kMaxTextLength);
}

std::uint32_t readBig(const std::uint8_t* p, int width) {
  std::uint32_t v = 0;
  for (int i = 0; i < width; ++i) v = (v << 8) | p[i];
  return v;
}

void writeBig(std::uint8_t* p, int width, std::uint64_t v) {
  for (int i = width - 1; i >= 0; --i) {
    p[i] = static_cast<std::uint8_t>(v & 0xFF);
    v >>= 8;
  }
}

// Sign from the top bit of a `width`-byte value.
std::int32_t signExtend(std::uint32_t v, int width) {
  const int bits = 8 * width;
  if (bits >= 32) return static_cast<std::int32_t>(v);
  const std::uint32_t sign = 1u << (bits - 1);
  return static_cast<std::int32_t>((v ^ sign)) - static_cast<std::int32_t>(sign);
}

// Integer value of any numeric target (floats are rounded, as for a register).
std::int64_t integerOf(const FieldTarget& target) {
  if (auto p = std::get_if<std::int32_t*>(&target)) return **p;
  if (auto p = std::get_if<std::int16_t*>(&target)) return **p;
  if (auto p = std::get_if<float*>(&target)) return scaledRaw(**p, 1);
  return 0;
}

float realOf(const FieldTarget& target) {
  if (auto p = std::get_if<float*>(&target)) return **p;
  if (auto p = std::get_if<std::int32_t*>(&target)) return static_cast<float>(**p);
  if (auto p = std::get_if<std::int16_t*>(&target)) return static_cast<float>(**p);
  return 0;
}

void storeInteger(const FieldTarget& target, std::int64_t v) {
  if (auto p = std::get_if<std::int32_t*>(&target)) {
    **p = static_cast<std::int32_t>(v);
  } else if (auto p = std::get_if<std::int16_t*>(&target)) {
    **p = static_cast<std::int16_t>(v);
  } else if (auto p = std::get_if<float*>(&target)) {
    **p = static_cast<float>(v);
  }
}

void storeReal(const FieldTarget& target, double v) {
  if (auto p = std::get_if<float*>(&target)) {
    **p = static_cast<float>(v);
  } else if (std::holds_alternative<std::int32_t*>(target) ||
             std::holds_alternative<std::int16_t*>(target)) {
    storeInteger(target, static_cast<std::int64_t>(std::trunc(v)));
  }
}

void decodeRow(const FieldRow& row, const std::uint8_t* p) {
  switch (row.encoding) {
    case Encoding::kFloat32: {
      const std::uint32_t bits = readBig(p, 4);
      float f;
      std::memcpy(&f, &bits, sizeof f);
      if (auto t = std::get_if<float*>(&row.target)) **t = f;
      break;
    }
    case Encoding::kInt32:
      storeInteger(row.target, signExtend(readBig(p, 4), 4));
      break;
    case Encoding::kUInt16:
      storeInteger(row.target, readBig(p, 2));
      break;
    case Encoding::kByte:
      storeInteger(row.target, p[0]);
      break;
    case Encoding::kBit:
      storeInteger(row.target, (readBig(p, 2) >> (row.parameter & 15)) & 1u);
      break;
    case Encoding::kNibble:
      storeInteger(row.target, row.parameter == 0 ? (p[0] & 0x0F) : (p[0] >> 4));
      break;
    case Encoding::kUInt16Scaled:
      storeReal(row.target, static_cast<double>(readBig(p, 2)) / divisorOf(row));
      break;
    case Encoding::kInt24Scaled:
      storeReal(row.target, static_cast<double>(signExtend(readBig(p, 3), 3)) / divisorOf(row));
      break;
    case Encoding::kByteScaled:
      storeReal(row.target, static_cast<double>(p[0]) / divisorOf(row));
      break;
    case Encoding::kInt16Scaled:
      storeReal(row.target, static_cast<double>(signExtend(readBig(p, 2), 2)) / divisorOf(row));
      break;
    case Encoding::kRawChars:
      if (auto t = std::get_if<CharArrayRef>(&row.target); t && t->data && t->size > 0) {
        // The last character always stays zero, whatever the row claims.
        const std::size_t n = std::min<std::size_t>(std::max(0, int{row.parameter}), t->size - 1);
        std::size_t i = 0;
        for (; i < n; ++i) {
          t->data[i] = static_cast<char>(p[i]);
          if (p[i] == 0) break;
        }
        std::fill(t->data + i, t->data + t->size, '\0');
      }
      break;
    case Encoding::kByteArray:
      if (auto t = std::get_if<FloatArrayRef>(&row.target); t && t->data) {
        const std::size_t n = std::min<std::size_t>(std::max(0, int{row.parameter}), t->size);
        for (std::size_t i = 0; i < n; ++i) t->data[i] = static_cast<std::int8_t>(p[i]);
      }
      break;
    case Encoding::kText:
      if (auto t = std::get_if<std::string*>(&row.target)) {
        **t = fromWindows1252Field(p, static_cast<std::size_t>(textLength(row.parameter)));
      }
      break;
  }
}

void writeText(std::uint8_t* p, int parameter, const std::string& utf8) {
  const int n = textLength(parameter);
  const std::string bytes = toWindows1252(utf8);
  const int used = std::min<int>(n, static_cast<int>(bytes.size()));
  std::memcpy(p, bytes.data(), static_cast<std::size_t>(used));
  std::memset(p + used, ' ', static_cast<std::size_t>(n - used));
}

// Writes an integer raw value by the row's encoding. Used by both the image
// encoder (after scaling) and the defaults encoder (unscaled).
void writeRaw(const FieldRow& row, std::uint8_t* p, std::int64_t raw) {
  const auto u = static_cast<std::uint64_t>(raw);  // two's complement low bits
  switch (row.encoding) {
    case Encoding::kInt32:
      writeBig(p, 4, u);
      break;
    case Encoding::kUInt16:
    case Encoding::kUInt16Scaled:
    case Encoding::kInt16Scaled:
      writeBig(p, 2, u);
      break;
    case Encoding::kInt24Scaled:
      writeBig(p, 3, u);
      break;
    case Encoding::kByte:
    case Encoding::kByteScaled:
      p[0] = static_cast<std::uint8_t>(u & 0xFF);
      break;
    case Encoding::kNibble:
      p[0] |= row.parameter == 0 ? static_cast<std::uint8_t>(u & 0x0F)
                                 : static_cast<std::uint8_t>((u & 0x0F) << 4);
      break;
    case Encoding::kBit:
      // No written block has Bit rows; set the bit when the field is non-zero
      // so that a round trip keeps the register.
      if (raw != 0) {
        const std::uint32_t word = readBig(p, 2) | (1u << (row.parameter & 15));
        writeBig(p, 2, word);
      }
      break;
    case Encoding::kFloat32:
    case Encoding::kRawChars:
    case Encoding::kByteArray:
    case Encoding::kText:
      break;
  }
}

void encodeRow(const FieldRow& row, std::uint8_t* p) {
  switch (row.encoding) {
    case Encoding::kFloat32: {
      const float f = realOf(row.target);
      std::uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      writeBig(p, 4, bits);
      break;
    }
    case Encoding::kUInt16Scaled:
    case Encoding::kInt24Scaled:
    case Encoding::kByteScaled:
    case Encoding::kInt16Scaled:
      writeRaw(row, p, scaledRaw(realOf(row.target), divisorOf(row)));
      break;
    case Encoding::kText:
      if (auto t = std::get_if<std::string*>(&row.target)) writeText(p, row.parameter, **t);
      break;
    case Encoding::kRawChars:
    case Encoding::kByteArray:
      break;  // read-only
    default:
      writeRaw(row, p, integerOf(row.target));
      break;
  }
}

// A row whose bytes would fall outside `size` bytes is skipped.
bool fits(const FieldRow& row, std::size_t size) {
  const int width = encodedWidth(row.encoding, row.parameter);
  return row.offset >= 0 &&
         static_cast<std::size_t>(row.offset) + static_cast<std::size_t>(width) <= size;
}

}  // namespace

std::size_t FieldMap::rowCount() const {
  const auto end = std::find_if(rows.begin(), rows.end(), isEnd);
  return static_cast<std::size_t>(end - rows.begin());
}

int encodedWidth(Encoding encoding, int parameter) {
  switch (encoding) {
    case Encoding::kFloat32:
    case Encoding::kInt32:
      return 4;
    case Encoding::kUInt16:
    case Encoding::kBit:
    case Encoding::kUInt16Scaled:
    case Encoding::kInt16Scaled:
      return 2;
    case Encoding::kInt24Scaled:
      return 3;
    case Encoding::kByte:
    case Encoding::kNibble:
    case Encoding::kByteScaled:
      return 1;
    case Encoding::kRawChars:
    case Encoding::kByteArray:
      return std::max(0, parameter);
    case Encoding::kText:
      return textLength(parameter);
  }
  return 0;
}

std::int64_t scaledRaw(float value, int multiplier) {
  // The product is taken in float on purpose: the fields hold what the
  // operator typed, and 0.35f x 10 in float is exactly 3.5 where in double it
  // is 3.4999999, which would round the typed half the wrong way.
  // From 2^22 on, though, a float step is half a unit or more and rounding
  // the product there can cross a half: 8386.815 at divisor 1000 would come
  // back as 8386816. There the double product, exact for a float times any
  // divisor in use, keeps every value read from the unit as it was.
  if (!std::isfinite(value)) return 0;
  const float rounded = value * static_cast<float>(multiplier);
  constexpr float kFloatHalfStep = 4194304.0f;  // 2^22
  const double product = std::fabs(rounded) < kFloatHalfStep
                             ? static_cast<double>(rounded)
                             : static_cast<double>(value) * multiplier;
  constexpr double kLimit = 4.0e18;  // well inside int64, far beyond any register
  return roundHalfAway(std::clamp(product, -kLimit, kLimit));
}

void decodeReply(const FieldMap& map, const std::uint8_t* data) {
  decodeReply(map, data, map.byteCount);
}

void decodeReply(const FieldMap& map, const std::uint8_t* data, std::size_t size) {
  for (const FieldRow& row : map.rows) {
    if (isEnd(row)) break;
    if (fits(row, size)) decodeRow(row, data + row.offset);
  }
}

void encodeRequest(const FieldMap& map, std::uint8_t* area) {
  std::memset(area, 0, kRequestDataSize);
  for (const FieldRow& row : map.rows) {
    if (isEnd(row)) break;
    if (fits(row, kRequestDataSize)) encodeRow(row, area + row.offset);
  }
}

void encodeDefaults(const FieldMap& map, std::uint8_t* area) {
  std::memset(area, 0, kRequestDataSize);
  for (const FieldRow& row : map.rows) {
    if (isEnd(row)) break;
    if (!fits(row, kRequestDataSize)) continue;
    if (row.encoding == Encoding::kText) {
      writeText(area + row.offset, row.parameter, row.defaultText);
    } else {
      writeRaw(row, area + row.offset, row.defaultRaw);
    }
  }
}

void decodeOverDefaults(const FieldMap& map, const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(map, area.data());
  std::copy_n(data, std::min({size, map.byteCount, kRequestDataSize}), area.begin());
  decodeReply(map, area.data(), std::min(map.byteCount, kRequestDataSize));
}

bool blockModified(const FieldMap& map, const std::uint8_t* lastReplyData) {
  std::array<std::uint8_t, kRequestDataSize> encoded{};
  encodeRequest(map, encoded.data());
  const std::size_t n = std::min(map.byteCount, kRequestDataSize);
  return std::memcmp(encoded.data(), lastReplyData, n) != 0;
}

}  // namespace flowdesk
