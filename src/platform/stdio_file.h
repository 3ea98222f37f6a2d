// Reading and writing a whole file through an open C stream: what both real
// sides of the platform seam do once they have opened the file their own
// way.
#ifndef KITE_PLATFORM_STDIO_FILE_H_
#define KITE_PLATFORM_STDIO_FILE_H_

#include <cerrno>
#include <cstdio>
#include <string>

namespace kite {

// Reads `file` to its end into *bytes and closes it.  Returns 0, EACCES
// when a read fails (a directory opens on some systems but cannot be read),
// or EFBIG when the file holds more than `limit` bytes.
inline int readWholeFile(FILE* file, std::string* bytes, size_t limit) {
  bytes->clear();
  char buffer[16384];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (got > limit - bytes->size()) {
      std::fclose(file);
      bytes->clear();
      return EFBIG;
    }
    bytes->append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? EACCES : 0;
}

// Reads at most `limit` bytes from the start of `file` and closes it.
// Returns 0, or EACCES when the read fails.
inline int readFileHead(FILE* file, std::string* bytes, size_t limit) {
  bytes->assign(limit, '\0');
  const size_t got = limit == 0 ? 0 : std::fread(&(*bytes)[0], 1, limit, file);
  bytes->resize(got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? EACCES : 0;
}

// Writes `bytes` to `file` and closes it.  Returns 0, or EIO when the write
// or the close fails.
inline int writeWholeFile(FILE* file, const std::string& bytes) {
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? 0 : EIO;
}

}  // namespace kite

#endif  // KITE_PLATFORM_STDIO_FILE_H_
