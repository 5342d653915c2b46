// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/BilingualText.h"
#include "base/Bytes.h"

namespace flowdesk {

// Every file kind is a few little-endian header words followed by register
// bytes; nothing in a file is trusted. These helpers give the readers checked
// header reads and the writers the two ways a file is allowed to change:
// whole-file replacement through a temporary file (parameter files and
// spreadsheet texts) and appending one record at a time (recordings).

enum class FileStatus {
  kOk = 0,
  kCannotOpen,         // the file could not be opened for reading
  kReadFailed,         // an I/O error while reading
  kCannotCreate,       // the file (or its temporary twin) could not be created
  kWriteFailed,        // an I/O error while writing (disk full, size limit ...)
  kReplaceFailed,      // the finished temporary file could not take the name
  kShorterThanHeader,  // the file ends inside its header words
  kShorterThanData,    // the header announces more bytes than the file holds
  kLengthTooLarge,     // a header length larger than the block it describes
  kZeroRecordSize,     // a record size of 0: no record could ever be read
  kRecordTooLarge,     // a stored frame or record larger than the reply buffer
  kRecordTooSmall,     // a stored record too short to hold what every record holds
  kNoSuchRecord,       // a record index past the last complete record
  kRecordMismatch,     // a record to append does not have the file's record size
  kUnknownKind,        // the extension names no file kind
  kTooShort,           // a file of fixed size holds fewer bytes than that size
  kNotRegularFile,     // a FIFO, a device, a socket: nothing a file of ours can be
  kFileTooLarge,       // far larger than any file of its kind (read whole)
  kHeaderTooSmall,     // a header length too short for what every header holds
  kLengthMismatch,     // a block length other than the unit's block: not sent to it
};

// The outcome of a file operation: Ok, or what went wrong with enough detail
// for one clear line.
struct FileResult {
  FileStatus status = FileStatus::kOk;
  std::string path;
  int sysError = 0;         // errno of the failing call, 0 when not a system error
  long long announced = 0;  // for size faults: what the file says ...
  long long limit = 0;      // ... and what it may be at most (or holds)

  bool ok() const { return status == FileStatus::kOk; }
  // One line, in English unless told otherwise.
  std::string message(Language language = kEnglish) const;

  static FileResult failure(FileStatus s, std::string path, int err = 0) {
    FileResult r;
    r.status = s;
    r.path = std::move(path);
    r.sysError = err;
    return r;
  }
  static FileResult sizeFault(FileStatus s, std::string path, long long announced,
                              long long limit) {
    FileResult r = failure(s, std::move(path));
    r.announced = announced;
    r.limit = limit;
    return r;
  }
};

// Writes all of `data` to an open descriptor, resuming after interrupted or
// partial writes. Returns 0, or the errno of the failure.
int writeFully(int fd, std::span<const std::uint8_t> data);

// The most a reader takes in of a file it reads whole: the largest file of
// its kind rounded up to whole 4 KiB. A little slack for whatever an older
// program appended; a device, a sparse file of gigabytes or the wrong file
// renamed is refused before a byte of it is read.
constexpr long long readLimitFor(std::size_t largestFile) {
  return static_cast<long long>((largestFile + 4095) / 4096 * 4096);
}

// FileTooLarge (giving the size and the limit) when `size` is above `limit`.
FileResult checkReadLimit(long long size, long long limit, const std::string& path);

// Reads a whole file of at most `limit` bytes.
FileResult readWholeFile(const std::string& path, Bytes& out, long long limit);

// A file read whole, then decoded by `parse(bytes, path, out)`: the one
// shape of every parameter file's reader; `limit` is its kind's.
template <typename Out, typename Parse>
FileResult readParsedFile(const std::string& path, long long limit, Out& out, Parse parse) {
  Bytes bytes;
  FileResult r = readWholeFile(path, bytes, limit);
  if (!r.ok()) return r;
  return parse(bytes, path, out);
}

// A file replaced whole. Its bytes go to a hidden twin in the same folder
// (".<name>.XXXXXX", so that the final rename stays on one file system and
// is atomic), which takes the file's name only once it is complete and on
// disk: until then the previous file is untouched, and a writer killed half
// way leaves it whole. A twin that is not committed is removed when the
// object goes; the twins a killed writer left behind are removed when the
// same file is next written (see removeStaleTwins).
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the twin of `path` (the file itself is not touched yet), with
  // the permissions of the file it will replace, or the umask's for a new
  // one. A name that leads to anything but a regular file is refused
  // (NotRegularFile).
  FileResult create(const std::string& path);
  // Appends all of `data` to the twin.
  FileResult append(std::span<const std::uint8_t> data);
  // Flushes the twin to disk and renames it over the file. On a failure the
  // twin is removed and the previous file stays.
  FileResult commit();
  // Removes the twin; the file stays as it was.
  void abandon();

 private:
  FileResult fail(FileStatus status, int err);

  int fd_ = -1;
  std::string path_;
  std::string twin_;
};

// Removes the twins of `path` that a killed writer left behind: entries of
// its folder named exactly "." + name + "." and six letters or digits (what
// mkstemp makes), regular files of ours, locked by no one. A twin being
// written is locked (flock) by its writer for as long as it is open, and a
// writer that finds its twin removed before it could lock it makes another,
// so the lock alone tells a live twin from a dead one. Nothing else is ever
// removed. Returns how many went.
int removeStaleTwins(const std::string& path);

// Replaces (or creates) `path` with `data` through a ReplacementFile.
FileResult writeFileAtomic(const std::string& path, std::span<const std::uint8_t> data);

// Creates `path` (replacing an existing file) with `data`: the first record of
// a recording, header included.
FileResult createRecording(const std::string& path, std::span<const std::uint8_t> data);

// Appends `data` at the end of an existing recording. When the write cannot
// be completed the file is cut back to its previous length, so a recording
// never ends in half a record written by us.
FileResult appendRecording(const std::string& path, std::span<const std::uint8_t> data);

// A file opened for reading at given offsets, for recordings that are read one
// record at a time and may be large. Closed when destroyed.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Only a regular file is opened: a FIFO or a device named like one of our
  // files would block the reader forever or never end. The opening itself
  // does not wait (a FIFO without a writer would hold it).
  FileResult open(const std::string& path);
  long long size() const { return size_; }
  const std::string& path() const { return path_; }
  // Reads exactly out.size() bytes at `offset`; a short read is ShorterThanData.
  FileResult readAt(long long offset, std::span<std::uint8_t> out) const;

 private:
  int fd_ = -1;
  long long size_ = 0;
  std::string path_;
};

// Checked little-endian reads from the bytes a file gave: a read past the end
// fails and leaves the position where it was, so a reader can tell a short
// file from a broken one.
class LeReader {
 public:
  explicit LeReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool u16(std::uint16_t& out);
  bool u8(std::uint8_t& out);
  bool take(std::size_t n, std::span<const std::uint8_t>& out);
  bool skip(std::size_t n);
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return bytes_.size() - pos_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// Little-endian writes into a growing byte vector.
void putLe16(Bytes& out, std::uint16_t value);
void putBytes(Bytes& out, std::span<const std::uint8_t> bytes);

}  // namespace flowdesk
