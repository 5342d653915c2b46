#include "base/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    case FileStatus::Ok:
      return {"Fichier correct", "File correct"};
    case FileStatus::CannotOpen:
      return {"Impossible d'ouvrir le fichier", "Cannot open the file"};
    case FileStatus::ReadFailed:
      return {"Erreur de lecture du fichier", "Cannot read the file"};
    case FileStatus::CannotCreate:
      return {"Impossible de créer le fichier", "Cannot create the file"};
    case FileStatus::WriteFailed:
      return {"Erreur d'écriture du fichier", "Cannot write the file"};
    case FileStatus::ReplaceFailed:
      return {"Impossible de remplacer le fichier", "Cannot replace the file"};
    case FileStatus::ShorterThanHeader:
      return {"Fichier plus court que son en-tête", "File shorter than its header"};
    case FileStatus::ShorterThanData:
      return {"Fichier plus court que ce qu'annonce son en-tête",
              "File shorter than its header announces"};
    case FileStatus::LengthTooLarge:
      return {"En-tête annonçant plus que le bloc ne contient",
              "Header announces more than the block holds"};
    case FileStatus::ZeroRecordSize:
      return {"Taille d'enregistrement nulle dans l'en-tête", "Record size of 0 in the header"};
    case FileStatus::RecordTooLarge:
      return {"Taille d'enregistrement trop grande dans l'en-tête",
              "Record size in the header is too large"};
    case FileStatus::RecordTooSmall:
      return {"Taille d'enregistrement trop petite dans l'en-tête",
              "Record size in the header is too small"};
    case FileStatus::NoSuchRecord:
      return {"Enregistrement absent du fichier", "No such record in the file"};
    case FileStatus::RecordMismatch:
      return {"Enregistrement de taille différente de celle du fichier",
              "Record size differs from the file's record size"};
    case FileStatus::UnknownKind:
      return {"Type de fichier inconnu (extension)", "Unknown file kind (extension)"};
    case FileStatus::TooShort:
      return {"Fichier trop court", "File too short"};
  }
  return {"Erreur de fichier", "File error"};
}

}  // namespace

std::string FileResult::message(int language) const {
  MessagePair p = pairFor(status);
  std::string text = language == 0 ? p.fr : p.en;
  if (!path.empty()) text += " " + path;
  if (status == FileStatus::TooShort) {
    // announced: the size the kind has; limit: what the file holds.
    text += language == 0 ? " (" + std::to_string(announced) + " octets attendus, " +
                                std::to_string(limit) + " présents)"
                          : " (" + std::to_string(announced) + " bytes expected, " +
                                std::to_string(limit) + " found)";
  } else if (announced != 0 || limit != 0) {
    text += language == 0 ? " (annoncé " : " (announced ";
    text += std::to_string(announced);
    // A size below its floor names the floor.
    if (status == FileStatus::RecordTooSmall) {
      text += language == 0 ? ", minimum " : ", at least ";
    } else {
      text += language == 0 ? ", maximum " : ", at most ";
    }
    text += std::to_string(limit);
    text += ")";
  }
  text += systemText(sysError);
  return text;
}

FileResult readWholeFile(const std::string& path, Bytes& out) {
  out.clear();
  ReadOnlyFile file;
  FileResult r = file.open(path);
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

}  // namespace

FileResult writeFileAtomic(const std::string& path, std::span<const std::uint8_t> data) {
  // The temporary twin lives in the target's folder so that the final rename
  // stays on one file system and is atomic.
  std::string name = path.substr(folderOf(path).size());
  std::string tmpl = folderOf(path) + "." + name + ".XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  int fd = ::mkstemp(buf.data());
  if (fd < 0) return FileResult::failure(FileStatus::CannotCreate, path, errno);
  std::string tmp(buf.data());
  // mkstemp creates 0600; a parameter file is an ordinary document.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);

  int err = writeFully(fd, data);
  FileStatus status = FileStatus::WriteFailed;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0) {
    if (::rename(tmp.c_str(), path.c_str()) == 0) return {};
    err = errno;
    status = FileStatus::ReplaceFailed;
  }
  ::unlink(tmp.c_str());
  return FileResult::failure(status, path, err);
}

FileResult createRecording(const std::string& path, std::span<const std::uint8_t> data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return FileResult::failure(FileStatus::CannotCreate, path, errno);
  int err = writeFully(fd, data);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return FileResult::failure(FileStatus::WriteFailed, path, err);
  return {};
}

FileResult appendRecording(const std::string& path, std::span<const std::uint8_t> data) {
  // Not O_APPEND: the length before the write is needed to cut a failed
  // record off again.
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return FileResult::failure(FileStatus::CannotOpen, path, errno);
  off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    int e = errno;
    ::close(fd);
    return FileResult::failure(FileStatus::WriteFailed, path, e);
  }
  int err = writeFully(fd, data);
  if (err != 0) {
    // Whatever part of the record reached the file is removed again.
    if (::ftruncate(fd, end) != 0) {
      // Nothing more can be done; the error reported is the write's.
    }
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return FileResult::failure(FileStatus::WriteFailed, path, err);
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
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileResult::failure(FileStatus::CannotOpen, path, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return FileResult::failure(FileStatus::ReadFailed, path, e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileResult::failure(FileStatus::CannotOpen, path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  }
  fd_ = fd;
  size_ = st.st_size;
  return {};
}

FileResult ReadOnlyFile::readAt(long long offset, std::span<std::uint8_t> out) const {
  if (fd_ < 0) return FileResult::failure(FileStatus::ReadFailed, path_, EBADF);
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                        static_cast<off_t>(offset + static_cast<long long>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileResult::failure(FileStatus::ReadFailed, path_, errno);
    }
    if (n == 0) {
      return FileResult::sizeFault(FileStatus::ShorterThanData, path_,
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
