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
#include <ctime>

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

std::time_t modifiedTime(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
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
                                 const std::vector<std::string>*, ChildProcess*,
                                 std::string* error) {
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

std::string PosixPlatform::programPath() {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(),
                                    buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
    return std::string();
  return std::string(buffer.data(), static_cast<size_t>(length));
}

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

bool PosixPlatform::setEnvironmentVariable(const std::string& name,
                                          const std::string& value) {
  return !name.empty() && ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

std::vector<std::string> PosixPlatform::listEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; entry && *entry; ++entry)
    entries.push_back(*entry);
  return entries;
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
      matches->push_back({name, isDirectory(dir + "/" + name),
                          modifiedTime(dir + "/" + name)});
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

int PosixPlatform::readFileStart(const std::string& path, std::size_t limit,
                                 std::string* bytes) {
  const std::string name = hostPath(path);
  if (isDirectory(name)) return EACCES;
  FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return errno ? errno : ENOENT;
  return readFileHead(file, bytes, limit);
}

namespace {

int createFile(const std::string& path, const std::string& bytes,
               mode_t mode) {
  // O_EXCL fails on every existing name, a symbolic link included.
  const int descriptor =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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

}  // namespace

int PosixPlatform::createNewFile(const std::string& path,
                                 const std::string& bytes) {
  return createFile(path, bytes, 0666);
}

int PosixPlatform::createPrivateFile(const std::string& path,
                                     const std::string& bytes) {
  return createFile(path, bytes, 0600);
}

bool PosixPlatform::randomBytes(std::size_t count, std::string* bytes) {
  FILE* source = std::fopen("/dev/urandom", "rb");
  if (!source) return false;
  bytes->assign(count, '\0');
  const bool read = std::fread(&(*bytes)[0], 1, count, source) == count;
  std::fclose(source);
  return read;
}

int PosixPlatform::renameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixPlatform::removeFile(const std::string& path) {
  return std::remove(path.c_str()) == 0 ? 0 : errno;
}

int PosixPlatform::makeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

int PosixPlatform::removeDirectory(const std::string& path) {
  return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

std::string PosixPlatform::fileIdentity(const std::string& path) {
  struct stat info;
  if (::stat(hostPath(path).c_str(), &info) != 0) return std::string();
  return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(info.st_ino));
}

std::string PosixPlatform::temporaryDirectory() {
  const char* directory = std::getenv("TMPDIR");
  std::string path = directory && *directory ? directory : "/tmp";
  return path.back() == '/' ? path : path + "/";
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

int PosixPlatform::appendFile(const std::string& path, const std::string& bytes,
                              unsigned long long* size) {
  // O_APPEND: each write goes to the end as it is then, in one piece.
  const int file = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
  if (file < 0) return errno;
  const ssize_t written = ::write(file, bytes.data(), bytes.size());
  const int error = written < 0 ? errno : 0;
  struct stat info;
  *size = ::fstat(file, &info) == 0
              ? static_cast<unsigned long long>(info.st_size)
              : 0;
  ::close(file);
  if (error) return error;
  return static_cast<size_t>(written) == bytes.size() ? 0 : EIO;
}

std::string PosixPlatform::localTime() {
  const std::time_t seconds = std::time(nullptr);
  struct tm local;
  char text[32] = "";
  if (::localtime_r(&seconds, &local))
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

unsigned long PosixPlatform::milliseconds() {
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned long>(now.tv_sec) * 1000ul +
         static_cast<unsigned long>(now.tv_nsec / 1000000);
}

unsigned long PosixPlatform::processId() {
  return static_cast<unsigned long>(::getpid());
}
std::string PosixPlatform::lowerCase(const std::string& text) {
  return asciiLower(text);
}

// The host tools start no application, so there is no lock to take.
InstanceClaim PosixPlatform::claimInstance(const std::string&, InstanceLock*) {
  return InstanceClaim::kFailed;
}

void PosixPlatform::releaseInstance(InstanceLock) {}

bool PosixPlatform::showInstanceWindow(const std::string&) { return false; }

}  // namespace kite
