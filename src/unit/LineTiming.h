#pragma once
#include <algorithm>
#include <chrono>

namespace flowdesk::unit {

// Every timing of the line, derived from the rate in one place.
// A character is 11 bits on the wire: start, 8 data, 2 stop.
inline std::chrono::microseconds byteTime(int baud) {
  return std::chrono::microseconds(11'000'000 / std::max(baud, 1));
}

// A frame ends after 3.5 characters of silence, but never less than 2 ms:
// scheduling jitter on a desktop is larger than 3.5 characters at high rates.
inline std::chrono::microseconds frameSilence(int baud) {
  return std::max<std::chrono::microseconds>(std::chrono::milliseconds(2), byteTime(baud) * 7 / 2);
}

// How long a request whose length is known may wait for its missing bytes
// before it is thrown away: a master that writes byte by byte from a busy
// desktop may stall for longer than a few characters.
inline std::chrono::microseconds incompleteFramePatience(int baud) {
  return std::max<std::chrono::microseconds>(std::chrono::milliseconds(100), byteTime(baud) * 10);
}

// The master's limits the faults must exceed: first-byte limit T1 and
// inter-byte limit T2.
inline std::chrono::milliseconds masterFirstByteLimit(int baud, int function) {
  if (baud < 1200 || (function != 3 && function != 4)) return std::chrono::milliseconds(1000);
  return std::chrono::milliseconds(400);
}
inline std::chrono::milliseconds masterInterByteLimit(int baud) {
  return std::chrono::milliseconds(baud < 1200 ? 400 : 150);
}

}  // namespace flowdesk::unit
