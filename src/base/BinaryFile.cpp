// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/BinaryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>

namespace flowdesk {

namespace {

std::string systemText(int err) {
  return err ? std::string(": ") + std::strerror(err) : "";
}

// Both languages of one message; the texts name the file so a script's log
// says which one failed.
struct MessagePair {
  const char* fr;
  const char* en;
};

MessagePair pairFor(FileStatus s) {
  switch (s) {
    case FileStatus::kOk:
      return {"Fichier correct", "File correct"};
    case FileStatus::kCannotOpen:
      return {"Impossible d'ouvrir le fichier", "Cannot open the file"};
    case FileStatus::kReadFailed:
      return {"Erreur de lecture du fichier", "Cannot read the file"};
    case FileStatus::kCannotCreate:
      return {"Impossible de créer le fichier", "Cannot create the file"};
    case FileStatus::kWriteFailed:
      return {"Erreur d'écriture du fichier", "Cannot write the file"};
    case FileStatus::kReplaceFailed:
      return {"Impossible de remplacer le fichier", "Cannot replace the file"};
    case FileStatus::kShorterThanHeader:
      return {"Fichier plus court que son en-tête", "File shorter than its header"};
    case FileStatus::kShorterThanData:
      return {"Fichier plus court que ce qu'annonce son en-tête",
              "File shorter than its header announces"};
    case FileStatus::kLengthTooLarge:
      return {"En-tête annonçant plus que le bloc ne contient",
              "Header announces more than the block holds"};
    case FileStatus::kZeroRecordSize:
      return {"Taille d'enregistrement nulle dans l'en-tête", "Record size of 0 in the header"};
    case FileStatus::kRecordTooLarge:
      return {"Taille d'enregistrement trop grande dans l'en-tête",
              "Record size in the header is too large"};
    case FileStatus::kRecordTooSmall:
      return {"Taille d'enregistrement trop petite dans l'en-tête",
              "Record size in the header is too small"};
    case FileStatus::kNoSuchRecord:
      return {"Enregistrement absent du fichier", "No such record in the file"};
    case FileStatus::kRecordMismatch:
      return {"Enregistrement de taille différente de celle du fichier",
              "Record size differs from the file's record size"};
    case FileStatus::kUnknownKind:
      return {"Type de fichier inconnu (extension)", "Unknown file kind (extension)"};
    case FileStatus::kTooShort:
      return {"Fichier trop court", "File too short"};
    case FileStatus::kNotRegularFile:
      return {"Pas un fichier ordinaire", "Not a regular file"};
    case FileStatus::kFileTooLarge:
      return {"Fichier trop grand pour son type", "File too large for its kind"};
    case FileStatus::kHeaderTooSmall:
      return {"Longueur d'en-tête trop petite", "Header length too small"};
    case FileStatus::kLengthMismatch:
      return {"Rien n'est envoyé à l'unité : longueur de bloc erronée dans",
              "Nothing is sent to the unit: wrong block length in"};
  }
  return {"Erreur de fichier", "File error"};
}

}  // namespace

std::string FileResult::message(Language language) const {
  MessagePair p = pairFor(status);
  std::string text = language == kFrench ? p.fr : p.en;
  if (!path.empty()) text += " " + path;
  const bool fr = language == kFrench;
  const std::string a = std::to_string(announced);
  const std::string l = std::to_string(limit);
  switch (status) {
    case FileStatus::kTooShort:
      // announced: the size the kind has; limit: what the file holds.
      text += fr ? " (" + a + " octets attendus, " + l + " présents)"
                 : " (" + a + " bytes expected, " + l + " found)";
      break;
    case FileStatus::kFileTooLarge:
      text +=
          fr ? " (" + a + " octets, maximum " + l + ")" : " (" + a + " bytes, at most " + l + ")";
      break;
    case FileStatus::kLengthMismatch:
      text +=
          fr ? " (trouvé " + a + ", attendu " + l + ")" : " (found " + a + ", expected " + l + ")";
      break;
    case FileStatus::kRecordTooSmall:
    case FileStatus::kHeaderTooSmall:
      // A size below its floor names the floor.
      text += fr ? " (annoncé " + a + ", minimum " + l + ")"
                 : " (announced " + a + ", at least " + l + ")";
      break;
    default:
      if (announced != 0 || limit != 0) {
        text += fr ? " (annoncé " + a + ", maximum " + l + ")"
                   : " (announced " + a + ", at most " + l + ")";
      }
      break;
  }
  text += systemText(sysError);
  return text;
}

FileResult checkReadLimit(long long size, long long limit, const std::string& path) {
  if (size > limit) return FileResult::sizeFault(FileStatus::kFileTooLarge, path, size, limit);
  return {};
}

FileResult readWholeFile(const std::string& path, Bytes& out, long long limit) {
  out.clear();
  ReadOnlyFile file;
  FileResult r = file.open(path);
  if (!r.ok()) return r;
  // Refused before anything is allocated or read.
  r = checkReadLimit(file.size(), limit, path);
  if (!r.ok()) return r;
  out.resize(static_cast<std::size_t>(file.size()));
  return file.readAt(0, out);
}

int writeFully(int fd, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

namespace {

std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

// "." + name + "." and the six letters or digits mkstemp puts for XXXXXX.
bool isTwinName(std::string_view entry, std::string_view name) {
  if (entry.size() != name.size() + 8 || entry.front() != '.' ||
      entry.substr(1, name.size()) != name || entry[name.size() + 1] != '.') {
    return false;
  }
  for (char c : entry.substr(name.size() + 2)) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum) return false;
  }
  return true;
}

bool sameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A twin whose writer is gone: ours, and locked by no one. It is removed
// while we hold its lock, and only if its name still leads to the file we
// locked.
bool removeIfStale(const std::string& twin) {
  struct stat st {};
  if (::lstat(twin.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    return false;
  }
  const int fd = ::open(twin.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat held {};
  struct stat named {};
  const bool stale = ::fstat(fd, &held) == 0 && sameInode(held, st) &&
                     ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(twin.c_str(), &named) == 0 &&
                     sameInode(named, held);
  const bool removed = stale && ::unlink(twin.c_str()) == 0;
  ::close(fd);
  return removed;
}

}  // namespace

int removeStaleTwins(const std::string& path) {
  const std::string folder = folderOf(path);
  const std::string name = path.substr(folder.size());
  if (name.empty()) return 0;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (isTwinName(entry->d_name, name) && removeIfStale(folder + entry->d_name)) ++removed;
  }
  ::closedir(dir);
  return removed;
}

ReplacementFile::~ReplacementFile() {
  abandon();
}

FileResult ReplacementFile::create(const std::string& path) {
  abandon();
  path_ = path;
  // The name is followed to what it names now: a device, a FIFO or a folder
  // is nothing a file of ours may take the place of, and a file that is
  // replaced keeps the permissions its owner gave it.
  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  if (replacing && !S_ISREG(existing.st_mode)) {
    return FileResult::failure(FileStatus::kNotRegularFile, path);
  }
  removeStaleTwins(path);
  const std::string folder = folderOf(path);
  // Held until the twin is closed: this is how a later writer tells a twin
  // being written from one a killed writer left. Another writer's clean-up
  // may take a twin in the instant before it is locked; it is made again.
  for (int attempt = 0; attempt < 3 && fd_ < 0; ++attempt) {
    std::string tmpl = folder + "." + path.substr(folder.size()) + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return FileResult::failure(FileStatus::kCannotCreate, path, errno);
    struct stat held {};
    struct stat named {};
    // A folder whose file system has no locks still gets its file: its
    // twins are then never taken for stale either.
    const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!taken && ::fstat(fd, &held) == 0 && ::lstat(tmpl.c_str(), &named) == 0 &&
        sameInode(held, named)) {
      fd_ = fd;
      twin_ = tmpl;
    } else {
      ::close(fd);
    }
  }
  if (fd_ < 0) return FileResult::failure(FileStatus::kCannotCreate, path, EAGAIN);
  // mkstemp creates 0600; a new file is an ordinary document, made as the
  // umask says.
  mode_t mode = existing.st_mode & 07777;
  if (!replacing) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  return {};
}

FileResult ReplacementFile::append(std::span<const std::uint8_t> data) {
  if (fd_ < 0) return FileResult::failure(FileStatus::kWriteFailed, path_, EBADF);
  if (const int err = writeFully(fd_, data); err != 0) return fail(FileStatus::kWriteFailed, err);
  return {};
}

FileResult ReplacementFile::commit() {
  if (fd_ < 0) return FileResult::failure(FileStatus::kWriteFailed, path_, EBADF);
  int err = ::fsync(fd_) != 0 ? errno : 0;
  if (::close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  if (err != 0) return fail(FileStatus::kWriteFailed, err);
  if (::rename(twin_.c_str(), path_.c_str()) != 0) return fail(FileStatus::kReplaceFailed, errno);
  twin_.clear();
  return {};
}

void ReplacementFile::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!twin_.empty()) ::unlink(twin_.c_str());
  twin_.clear();
}

FileResult ReplacementFile::fail(FileStatus status, int err) {
  abandon();
  return FileResult::failure(status, path_, err);
}

FileResult writeFileAtomic(const std::string& path, std::span<const std::uint8_t> data) {
  ReplacementFile file;
  FileResult r = file.create(path);
  if (r.ok()) r = file.append(data);
  if (r.ok()) r = file.commit();
  return r;
}

FileResult createRecording(const std::string& path, std::span<const std::uint8_t> data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return FileResult::failure(FileStatus::kCannotCreate, path, errno);
  int err = writeFully(fd, data);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return FileResult::failure(FileStatus::kWriteFailed, path, err);
  return {};
}

FileResult appendRecording(const std::string& path, std::span<const std::uint8_t> data) {
  // Not O_APPEND: the length before the write is needed to cut a failed
  // record off again.
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return FileResult::failure(FileStatus::kCannotOpen, path, errno);
  off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    int e = errno;
    ::close(fd);
    return FileResult::failure(FileStatus::kWriteFailed, path, e);
  }
  int err = writeFully(fd, data);
  if (err != 0) {
    // Whatever part of the record reached the file is removed again.
    if (::ftruncate(fd, end) != 0) {
      // Nothing more can be done; the error reported is the write's.
    }
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return FileResult::failure(FileStatus::kWriteFailed, path, err);
  return {};
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

FileResult ReadOnlyFile::open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  path_ = path;
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FileResult::failure(FileStatus::kCannotOpen, path, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return FileResult::failure(FileStatus::kReadFailed, path, e);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return FileResult::failure(FileStatus::kCannotOpen, path, EISDIR);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileResult::failure(FileStatus::kNotRegularFile, path);
  }
  // Reads of a regular file wait for the disk as they always did.
  if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  fd_ = fd;
  size_ = st.st_size;
  return {};
}

FileResult ReadOnlyFile::readAt(long long offset, std::span<std::uint8_t> out) const {
  if (fd_ < 0) return FileResult::failure(FileStatus::kReadFailed, path_, EBADF);
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                        static_cast<off_t>(offset + static_cast<long long>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileResult::failure(FileStatus::kReadFailed, path_, errno);
    }
    if (n == 0) {
      return FileResult::sizeFault(FileStatus::kShorterThanData, path_,
                                   offset + static_cast<long long>(out.size()),
                                   offset + static_cast<long long>(done));
    }
    done += static_cast<std::size_t>(n);
  }
  return {};
}

bool LeReader::u16(std::uint16_t& out) {
  if (remaining() < 2) return false;
  out = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
  pos_ += 2;
  return true;
}

bool LeReader::u8(std::uint8_t& out) {
  if (remaining() < 1) return false;
  out = bytes_[pos_++];
  return true;
}

bool LeReader::take(std::size_t n, std::span<const std::uint8_t>& out) {
  if (remaining() < n) return false;
  out = bytes_.subspan(pos_, n);
  pos_ += n;
  return true;
}

bool LeReader::skip(std::size_t n) {
  if (remaining() < n) return false;
  pos_ += n;
  return true;
}

void putLe16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putBytes(Bytes& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace flowdesk
