// POSIX side of the platform seam: the file system, the environment and the
// current directory as the launcher would see them on Windows.
#include "platform/platform_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "base/unicode.h"
#include "platform/stdio_file.h"

extern char** environ;

namespace kite {
namespace {

// The Win32 error code for a key that does not exist.
constexpr long kNoSuchKey = 2;

bool exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The names in `dir` ("." for the current directory), "." and ".."
// included as a Windows search lists them; empty when it cannot be read.
std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> names;
  DIR* handle = ::opendir(dir.empty() ? "/" : dir.c_str());
  if (!handle) return names;
  while (const dirent* entry = ::readdir(handle))
    names.push_back(entry->d_name);
  ::closedir(handle);
  return names;
}

// Name order without regard to case, as NTFS delivers a directory.
bool nameOrder(const FoundFile& a, const FoundFile& b) {
  return ::strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
}

}  // namespace

std::string hostPath(const std::string& path) {
  std::string text = path;
  std::replace(text.begin(), text.end(), '\\', '/');
  if (text.empty() || exists(text)) return text;
  // Walk the components; keep each that exists, otherwise take the one
  // entry of its directory that matches it without regard to case.
  std::string result = text[0] == '/' ? "/" : "";
  size_t start = text[0] == '/' ? 1 : 0;
  while (start <= text.size()) {
    size_t slash = text.find('/', start);
    if (slash == std::string::npos) slash = text.size();
    std::string part = text.substr(start, slash - start);
    const std::string dir = result.empty() ? "." : result;
    if (!part.empty() && part != "." && part != ".." &&
        !exists(dir + "/" + part)) {
      for (const std::string& name : namesIn(dir)) {
        if (::strcasecmp(name.c_str(), part.c_str()) == 0) {
          part = name;
          break;
        }
      }
    }
    if (!result.empty() && result.back() != '/') result += '/';
    result += part;
    start = slash + 1;
  }
  return result;
}

// --- Registry: there is none. ---

long PosixPlatform::openRegistryKey(RegistryRoot, const std::string&,
                                    RegistryKey*) {
  return kNoSuchKey;
}
long PosixPlatform::openRegistrySubkey(RegistryKey, const std::string&,
                                       RegistryKey*) {
  return kNoSuchKey;
}
long PosixPlatform::readRegistryString(RegistryKey, const std::string&,
                                       std::string*) {
  return kNoSuchKey;
}
unsigned long PosixPlatform::countRegistrySubkeys(RegistryKey) { return 0; }
long PosixPlatform::enumRegistrySubkey(RegistryKey, unsigned long,
                                       std::string*) {
  return kNoSuchKey;
}
void PosixPlatform::closeRegistryKey(RegistryKey) {}

// --- User interface and processes: a box becomes a line on standard error
// answered "No"; no process is started. ---

int PosixPlatform::showMessageBox(const char* text, const std::string& caption,
                                  unsigned style) {
  writeError("[" + caption + "] " + (text ? text : "(null)") + "\n");
  return (style & kBoxButtonsMask) == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

bool PosixPlatform::startProcess(const std::string&, const char*, const char*,
                                 ChildProcess*, std::string* error) {
  *error = "starting a process is not available on this platform";
  return false;
}
void PosixPlatform::waitForInputIdle(ChildProcess, unsigned) {}
void PosixPlatform::waitForExit(ChildProcess) {}
int PosixPlatform::exitCode(ChildProcess) { return -1; }
void PosixPlatform::closeProcess(ChildProcess) {}

// A configuration prepared here is run on a current Windows (Vista or
// later), where every program argument is quoted.
unsigned long PosixPlatform::osMajorVersion() { return 10; }
std::string PosixPlatform::systemDirectory() { return std::string(); }

// --- Standard runtime library. ---

bool PosixPlatform::getEnvironment(const std::string& name,
                                   std::string* value) {
  if (name.empty()) return false;
  if (const char* found = std::getenv(name.c_str())) {
    *value = found;
    return true;
  }
  // Windows matches variable names without regard to case.
  for (char** entry = environ; entry && *entry; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (equals && static_cast<size_t>(equals - *entry) == name.size() &&
        ::strncasecmp(*entry, name.c_str(), name.size()) == 0) {
      *value = equals + 1;
      return true;
    }
  }
  return false;
}

bool PosixPlatform::findFiles(const std::string& pattern,
                              std::vector<FoundFile>* matches) {
  matches->clear();
  std::string text = pattern;
  std::replace(text.begin(), text.end(), '\\', '/');
  const size_t cut = text.rfind('/');
  const std::string glob =
      cut == std::string::npos ? text : text.substr(cut + 1);
  std::string dir = cut == std::string::npos ? "." : text.substr(0, cut);
  if (cut == 0) dir = "/";
  dir = hostPath(dir);
  if (glob.empty() || !isDirectory(dir)) return false;
  for (const std::string& name : namesIn(dir))
    if (wildcardMatch(glob, name))
      matches->push_back({name, isDirectory(dir + "/" + name)});
  std::sort(matches->begin(), matches->end(), nameOrder);
  return !matches->empty();
}

bool PosixPlatform::changeDirectory(const std::string& path) {
  return ::chdir(hostPath(path).c_str()) == 0;
}

std::string PosixPlatform::currentDirectory() {
  std::vector<char> buffer(256);
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

int PosixPlatform::readFile(const std::string& path, std::string* bytes) {
  const std::string name = hostPath(path);
  // Windows cannot open a directory as a file.
  if (isDirectory(name)) return EACCES;
  FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return errno ? errno : ENOENT;
  return readWholeFile(file, bytes, kMaxFileBytes);
}

int PosixPlatform::createNewFile(const std::string& path,
                                 const std::string& bytes) {
  // O_EXCL fails on every existing name, a symbolic link included.
  const int descriptor =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return errno;
  FILE* file = ::fdopen(descriptor, "wb");
  int status = EIO;
  if (file)
    status = writeWholeFile(file, bytes);
  else
    ::close(descriptor);
  if (status != 0) ::unlink(path.c_str());
  return status;
}

int PosixPlatform::renameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixPlatform::removeFile(const std::string& path) {
  return std::remove(path.c_str()) == 0 ? 0 : errno;
}

std::string PosixPlatform::fileIdentity(const std::string& path) {
  struct stat info;
  if (::stat(hostPath(path).c_str(), &info) != 0) return std::string();
  return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(info.st_ino));
}

std::string PosixPlatform::ansiToUtf8(std::string_view bytes) {
  return windows1252ToUtf8(bytes);
}

std::string PosixPlatform::errorText(int errnum) {
  return std::strerror(errnum);
}

std::time_t PosixPlatform::now() { return std::time(nullptr); }

void PosixPlatform::writeOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void PosixPlatform::writeError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kite
