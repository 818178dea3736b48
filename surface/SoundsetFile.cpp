// Reading and atomic replacement of soundset and transfer files.
#include "SoundsetFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace stk {

namespace {

const char kTemporarySuffix[] = ".tmp";

bool fail(std::string* error, const char* what, int number) {
  if (error) *error = std::string(what) + ": " + std::strerror(number);
  return false;
}

// Opens a regular file for reading (O_NONBLOCK keeps a FIFO without writer from blocking).
FILE* openRegularFileForReading(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    fail(error, "cannot open", errno);
    return nullptr;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    if (error) *error = "not a regular file";
    return nullptr;
  }
  FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    fail(error, "cannot open", errno);
    ::close(fd);
  }
  return file;
}

} // namespace

std::string SoundsetFile::soundsetName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "soundset%3d.dat", number);
  return name;
}

std::string SoundsetFile::inDirectory(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool SoundsetFile::read(const std::string& path, size_t limit, std::vector<unsigned char>& bytes,
                        std::string* error) {
  FILE* file = openRegularFileForReading(path, error);
  if (!file) return false;
  bytes.assign(limit, 0);
  size_t got = std::fread(bytes.data(), 1, limit, file);
  bool failed = std::ferror(file) != 0;
  int number = errno;
  std::fclose(file);
  if (failed) return fail(error, "cannot read", number);
  bytes.resize(got);
  return true;
}

bool SoundsetFile::replace(const std::string& path, const unsigned char* bytes, size_t size,
                           std::string* error) {
  std::string temporary = path + kTemporarySuffix;
  int fd = ::open(temporary.c_str(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return fail(error, "cannot create the temporary file", errno);
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd); // not ours to remove
    if (error) *error = "the temporary file's name is taken by something else";
    return false;
  }
  FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    int number = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    return fail(error, "cannot write", number);
  }
  errno = 0;
  bool written = std::fwrite(bytes, 1, size, file) == size;
  written = std::fflush(file) == 0 && written;
  int number = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    number = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    return fail(error, "cannot write", number ? number : EIO);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    number = errno;
    ::unlink(temporary.c_str());
    return fail(error, "cannot rename the temporary file", number);
  }
  return true;
}

} // namespace stk
