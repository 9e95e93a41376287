#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/message_line.h"
#include "platform/profile.h"

namespace quendrix {
namespace {

class PosixInputFile : public InputFile {
 public:
  // `size`: the file's length when it was opened.
  PosixInputFile(int fd, int64_t size) : fd_(fd), size_(size) {}
  ~PosixInputFile() override { ::close(fd_); }

  bool Seek(int64_t offset) override {
    if (offset < 0) return false;
    // Pieces read one after another seek to where the last one ended: the
    // file is already there, and the call into the system can be spared.
    if (offset == position_) return true;
    position_ = -1;
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != offset) return false;
    position_ = offset;
    return true;
  }

  int64_t Read(void* buffer, size_t size) override {
    for (;;) {
      ssize_t got = ::read(fd_, buffer, size);
      if (got >= 0) {
        if (position_ >= 0) position_ += got;
        return got;
      }
      if (errno != EINTR) {
        position_ = -1;  // unknown after a failed read
        return -1;
      }
    }
  }

  // Consecutive pieces go to the system together, as one positioned read
  // that scatters the bytes over them: a call into the system costs about as
  // much as copying a few kilobytes, so one per piece of 32 KiB would make
  // reading a bitmap twice as slow. The file offset does not move.
  int64_t ReadPieces(int64_t offset, void* buffer, size_t size, size_t piece) override {
    if (offset < 0 || piece == 0) return -1;
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < size) {
      constexpr size_t kMostPieces = 64;  // well below any system's IOV_MAX
      iovec pieces[kMostPieces];
      size_t count = 0;
      size_t asked = 0;
      for (; count < kMostPieces && done + asked < size; ++count) {
        pieces[count].iov_base = bytes + done + asked;
        pieces[count].iov_len = std::min(size - done - asked, piece);
        asked += pieces[count].iov_len;
      }
      ssize_t got;
      do {
        got = ::preadv(fd_, pieces, static_cast<int>(count),
                       static_cast<off_t>(offset + static_cast<int64_t>(done)));
      } while (got < 0 && errno == EINTR);
      if (got < 0) return done > 0 ? static_cast<int64_t>(done) : -1;
      done += static_cast<size_t>(got);
      if (static_cast<size_t>(got) < asked) break;  // the end of the file
    }
    return static_cast<int64_t>(done);
  }

  // The length learnt when the file was opened, which spares a call into the
  // system per bitmap. A file that shrinks afterwards shows in short reads.
  int64_t Size() override { return size_; }

 private:
  int fd_;
  int64_t size_;
  int64_t position_ = 0;  // the file offset, or -1 when it is not known
};

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Write(const void* data, size_t size) override {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t put = ::write(fd_, bytes, size);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      bytes += put;
      size -= static_cast<size_t>(put);
    }
    return true;
  }

  bool Close() override {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// The whole text of a small file; empty when it cannot be read.
std::string ReadSmallFile(const std::string& path) {
  std::string text;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return text;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
  std::string result;
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::vector<char> input(text.begin(), text.end());
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    size_t done = ::iconv(cd, &in, &inLeft, &out, &outLeft);
    result.append(buffer, static_cast<size_t>(out - buffer));
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      result += "\xEF\xBF\xBD";  // U+FFFD for a byte that does not decode
      ++in;
      --inLeft;
    }
  }
  ::iconv_close(cd);
  return result;
}

std::string PosixPlatform::CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

bool PosixPlatform::PathExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool PosixPlatform::RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool PosixPlatform::RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string PosixPlatform::ReadProfileText(const std::string& path,
                                           std::string_view section,
                                           std::string_view key,
                                           std::string_view defaultValue,
                                           size_t bufferSize) {
  return ProfileText(ReadSmallFile(path), section, key, defaultValue,
                     bufferSize);
}

int32_t PosixPlatform::ReadProfileInt(const std::string& path,
                                      std::string_view section,
                                      std::string_view key,
                                      int32_t defaultValue) {
  return ProfileInt(ReadSmallFile(path), section, key, defaultValue);
}

void PosixPlatform::ShowMessage(MessageIcon icon, std::string_view text,
                                std::string_view name) {
  std::string line = MessageLine(icon, text, name);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::unique_ptr<InputFile> PosixPlatform::OpenForReading(const std::string& path) {
  if (path.empty()) return nullptr;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);  // a directory or a device is no file to read
    return nullptr;
  }
  return std::make_unique<PosixInputFile>(fd, static_cast<int64_t>(info.st_size));
}

std::unique_ptr<OutputFile> PosixPlatform::CreateForWriting(
    const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

std::unique_ptr<uint8_t[]> PosixPlatform::Allocate(size_t size) {
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size]);
#ifdef MADV_POPULATE_WRITE
  // A large block comes fresh from the system, and the first touch of each
  // of its pages costs a page fault, dearly so on a virtual machine. One
  // call puts them all in place at a fraction of that; where the system
  // cannot, the pages simply arrive one by one as before.
  constexpr size_t kLargeBlock = size_t{256} << 10;
  const long page = ::sysconf(_SC_PAGESIZE);
  if (block && size >= kLargeBlock && page > 0) {
    const auto pageSize = static_cast<uintptr_t>(page);
    const auto start = reinterpret_cast<uintptr_t>(block.get());
    const uintptr_t first = (start + pageSize - 1) / pageSize * pageSize;
    const uintptr_t end = (start + size) / pageSize * pageSize;
    if (end > first) {
      ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
    }
  }
#endif
  return block;
}

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace quendrix
