// The one seam between Kite's logic and the operating system.
//
// Every operation the launcher needs from Windows (registry, message boxes,
// processes, files, environment, clock, output) is a method here.
// platform_win32.cc implements it for the real executable; the unit tests use
// an in-memory double that records what was asked of it.  No other file calls
// the OS, so the logic builds and runs on any host.
//
// All text crossing the seam is UTF-8: paths, names, values, messages and
// command lines.  The Windows side converts to and from UTF-16 for the wide
// (-W) system calls, so no character is lost to a code page.
#ifndef KITE_PLATFORM_PLATFORM_H_
#define KITE_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace kite {

// Message box styles and answers.  The values are the Win32 ones (MB_OK,
// MB_ICONERROR, MB_YESNO, the MB_TYPEMASK of the buttons; IDOK, IDYES, IDNO)
// so the Win32 side passes them through unchanged.
constexpr unsigned kBoxPlain = 0x00;
constexpr unsigned kBoxError = 0x10;
constexpr unsigned kBoxYesNo = 0x04;
constexpr unsigned kBoxYesNoError = kBoxYesNo | kBoxError;
constexpr unsigned kBoxButtonsMask = 0x0F;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Where a registry key is read: the hive, and the view of it (64-bit
// Windows keeps one for 32-bit programs and one for 64-bit programs; on
// 32-bit Windows both name the one registry).
enum class RegistryHive { kLocalMachine, kCurrentUser };
enum class RegistryView { k32Bit, k64Bit };
struct RegistryRoot {
  RegistryHive hive;
  RegistryView view;
};
// Where runtimes registered until Java 8, and the only place the classic
// lookup reads.
constexpr RegistryRoot kClassicRegistryRoot{RegistryHive::kLocalMachine,
                                            RegistryView::k32Bit};

// The most bytes readFile reads.  No file Kite reads comes near it; the
// bound keeps a file named by mistake (a disk image, say) from taking the
// memory of a 32-bit program, which then ends without a word.
constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

// An open registry key or a started child process; 0 is never a valid one.
using RegistryKey = std::uintptr_t;
using ChildProcess = std::uintptr_t;

// A held lock of one running application (see claimInstance); 0 is never a
// valid one.
using InstanceLock = std::uintptr_t;
enum class InstanceClaim {
  kTaken,   // this process holds the lock now
  kHeld,    // a running process of this user and session holds it
  kFailed,  // the system refused the lock: nobody is known to hold it
  kForeign,  // an object of its name is another account's: not trusted
};

// One match of a wildcard search.
struct FoundFile {
  std::string name;  // file name without its directory
  bool isDirectory;  // the _A_SUBDIR attribute
  std::time_t modified = 0;  // when last written, calendar seconds; 0: unknown
};

// What a launch asks of the application's own process beyond a plain start
// (the "appProcess", "appUserModelId" and "endWithLauncher" keys).

// Whether the application's processes end when the launcher ends: not tied
// to it; tied, with the processes the application starts free; or tied
// with them (unless started to break away).
enum class EndWithLauncher { kNo, kOn, kTree };

// What a hosting copy of the launcher needs to run the runtime itself.
struct HostRequest {
  std::string library;         // the runtime's jli.dll, a full path
  std::string version;         // the runtime's version text; may be empty
  bool javaw = true;           // run as javaw.exe (else as java.exe)
  std::string appUserModelId;  // empty: none
};

// A library loaded by loadLibrary; 0 is never a valid one.
using LoadedLibrary = std::uintptr_t;

struct ApplicationStart {
  const char* directory = nullptr;  // as startProcess
  const char* consoleTitle = nullptr;
  const std::vector<std::string>* environment = nullptr;
  std::string appUserModelId;  // empty: none
  EndWithLauncher endWith = EndWithLauncher::kNo;
  // Set: the command line starts a copy of the launcher, which gets this
  // request through a handle it inherits.
  const HostRequest* host = nullptr;
  // Set by startApplication when the process runs but could not be tied to
  // the launcher: why, in one line.
  std::string jobNote;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Registry, read only. ---

  /// Opens `path` under `root` for reading; returns 0 and sets *key, or a
  /// non-zero error code (key absent or unreadable) and leaves *key alone.
  virtual long openRegistryKey(RegistryRoot root, const std::string& path,
                               RegistryKey* key) = 0;
  /// Opens `path` below the open key `parent` (in its hive and view);
  /// returns 0 and sets *key, or a non-zero error code and leaves *key
  /// alone.
  virtual long openRegistrySubkey(RegistryKey parent, const std::string& path,
                                  RegistryKey* key) = 0;
  /// Reads the string value `name` whole, whatever its length; returns 0, or
  /// non-zero when the value is missing, not a string or unreadable.
  virtual long readRegistryString(RegistryKey key, const std::string& name,
                                  std::string* value) = 0;
  /// Returns the number of subkeys; 0 when the query fails.
  virtual unsigned long countRegistrySubkeys(RegistryKey key) = 0;
  /// Reads the name of subkey `index`; returns 0, or non-zero when that index
  /// yields no name.
  virtual long enumRegistrySubkey(RegistryKey key, unsigned long index,
                                  std::string* name) = 0;
  /// Closes a key opened by openRegistryKey or openRegistrySubkey; nothing
  /// to report on failure.
  virtual void closeRegistryKey(RegistryKey key) = 0;

  // --- User interface. ---

  /// Shows a box with no owner window and waits for the answer.  `text` may
  /// be null.  Returns the button pressed (kAnswerYes for Yes); any other
  /// value, including a failure to show the box, means No.
  virtual int showMessageBox(const char* text, const std::string& caption,
                             unsigned style) = 0;

  // --- Processes and system information. ---

  /// Starts `commandLine` with no application name, handle inheritance on,
  /// `directory` as current directory (null: inherit), `consoleTitle` (null:
  /// none) and `environment` ("NAME=value" entries in the order Windows
  /// wants them; null: the launcher's own, with creation flags 0).  Returns
  /// true and sets *child, or false and sets *error to the system's message.
  virtual bool startProcess(const std::string& commandLine,
                            const char* directory, const char* consoleTitle,
                            const std::vector<std::string>* environment,
                            ChildProcess* child, std::string* error) = 0;
  /// Waits at most `milliseconds` for the child to be ready for input;
  /// nothing to report on failure.
  virtual void waitForInputIdle(ChildProcess child, unsigned milliseconds) = 0;
  /// Blocks until the child has ended; returns early only if waiting fails.
  virtual void waitForExit(ChildProcess child) = 0;
  /// Returns the child's exit code as a signed integer; -1 if it cannot be
  /// read.
  virtual int exitCode(ChildProcess child) = 0;
  /// Releases the child's handles; nothing to report on failure.
  virtual void closeProcess(ChildProcess child) = 0;
  /// Returns the OS major version (GetVersionEx); 0 when the call fails.
  virtual unsigned long osMajorVersion() = 0;
  /// True on 64-bit Windows (where the registry has two views); false on
  /// 32-bit Windows and when it cannot be told.
  virtual bool is64BitWindows() = 0;
  /// Returns the system directory (where rundll32.exe lives); empty on
  /// failure.
  virtual std::string systemDirectory() = 0;
  /// Returns the full path of the running program; empty on failure.
  virtual std::string programPath() = 0;

  // --- Standard runtime library. ---

  /// Looks up an environment variable (names match regardless of case);
  /// returns false when there is no such variable.
  virtual bool getEnvironment(const std::string& name, std::string* value) = 0;
  /// Sets a variable of the launcher's own environment, which a child
  /// started without an environment of its own inherits; returns false when
  /// it cannot be set.
  virtual bool setEnvironmentVariable(const std::string& name,
                                      const std::string& value) = 0;
  /// Returns the launcher's own environment as "NAME=value" entries, in the
  /// system's order (Windows' "=C:=C:\dir" entries included); empty on
  /// failure.
  virtual std::vector<std::string> listEnvironment() = 0;
  /// Wildcard search for `pattern`; fills *matches in the order the search
  /// delivers them and returns false when nothing matches.
  virtual bool findFiles(const std::string& pattern,
                         std::vector<FoundFile>* matches) = 0;
  /// Makes `path` the current directory; returns false on failure.
  virtual bool changeDirectory(const std::string& path) = 0;
  /// Returns the current directory; empty on failure.
  virtual std::string currentDirectory() = 0;
  /// Reads a whole file as it is stored, byte for byte; returns 0, or the
  /// errno value when it cannot be opened or read (a directory included),
  /// EFBIG when it holds more than kMaxFileBytes.
  virtual int readFile(const std::string& path, std::string* bytes) = 0;
  /// Reads the first `limit` bytes of a file (all of a shorter one);
  /// returns 0, or the errno value when it cannot be opened or read.
  virtual int readFileStart(const std::string& path, std::size_t limit,
                            std::string* bytes) = 0;
  /// Creates the file `path` holding `bytes`, only if nothing has that name
  /// (a link to another file included, which is never followed); returns
  /// 0, or the errno value: EEXIST when the name is taken.  A file it
  /// created but could not finish is removed.
  virtual int createNewFile(const std::string& path,
                            const std::string& bytes) = 0;
  /// As createNewFile, but the file is the user's alone: owned by the user
  /// and open to no other account (mode 0600 where there are no access
  /// lists).  Returns 0, or the errno value: EEXIST when the name is taken.
  virtual int createPrivateFile(const std::string& path,
                                const std::string& bytes) = 0;
  /// Gives the file `from` the name `to`, replacing a file of that name;
  /// returns 0, or the errno value.
  virtual int renameFile(const std::string& from, const std::string& to) = 0;
  /// Deletes the file `path`; returns 0, or the errno value.
  virtual int removeFile(const std::string& path) = 0;
  /// Creates the folder `path` (its parent must exist); returns 0, or the
  /// errno value: EEXIST when something has the name, ENOENT when the
  /// parent is missing.
  virtual int makeDirectory(const std::string& path) = 0;
  /// Deletes the empty folder `path`; returns 0, or the errno value.
  virtual int removeDirectory(const std::string& path) = 0;
  /// Returns a key that is equal for two names of the same existing file
  /// (relative or absolute, other letter case); empty when it is unknown.
  virtual std::string fileIdentity(const std::string& path) = 0;
  /// Converts text in the system's ANSI code page to UTF-8; bytes that
  /// stand for no character become U+FFFD.
  virtual std::string ansiToUtf8(std::string_view bytes) = 0;
  /// Returns the number of the ANSI code page (1252 on Western Windows, 932
  /// on Japanese, 65001 where Windows uses UTF-8 for it); never fails.
  virtual unsigned ansiCodePage() = 0;
  /// Converts UTF-8 text to the ANSI code page as Windows converts the
  /// command line of a program that reads it there: a character the code
  /// page lacks becomes a near one or "?".  Returns false when any
  /// character was not kept exactly.
  virtual bool utf8ToAnsi(std::string_view text, std::string* ansi) = 0;
  /// Sets *shortPath to the short (8.3) name of the existing file or folder
  /// `path`, relative when it is; returns false when it has none (it does
  /// not exist, or its volume keeps no short names).
  virtual bool shortPathName(const std::string& path,
                             std::string* shortPath) = 0;
  /// Returns the folder for temporary files, with a separator at its end;
  /// empty on failure.
  virtual std::string temporaryDirectory() = 0;
  /// Returns the runtime's description of an errno value.
  virtual std::string errorText(int errnum) = 0;
  /// Sets *bytes to `count` bytes from the system's random number
  /// generator, which no other process can predict; returns false when it
  /// fails.
  virtual bool randomBytes(std::size_t count, std::string* bytes) = 0;
  /// Returns the calendar time in whole seconds.
  virtual std::time_t now() = 0;
  /// Writes UTF-8 text to standard output: as it is when the output goes to
  /// a file or a pipe, as characters when it is a console.  Nothing to report
  /// on failure.
  virtual void writeOut(const std::string& text) = 0;
  /// The same for standard error.
  virtual void writeError(const std::string& text) = 0;
  /// Appends `bytes` to the file `path` (created when it is missing) in one
  /// write at the file's end, so that what several processes append at the
  /// same time never mixes within one call; sets *size to the file's size
  /// after the write.  Returns 0, or the errno value.
  virtual int appendFile(const std::string& path, const std::string& bytes,
                         unsigned long long* size) = 0;
  /// Returns the local date and time as "YYYY-MM-DD HH:MM:SS".
  virtual std::string localTime() = 0;
  /// Returns a count of milliseconds for measuring a duration (it may wrap
  /// around: only differences of it mean anything).
  virtual unsigned long milliseconds() = 0;
  /// Returns this process's id.
  virtual unsigned long processId() = 0;

  /// Returns `text` with its letters in lower case, as the system maps
  /// them; `text` unchanged when it cannot be mapped.
  virtual std::string lowerCase(const std::string& text) = 0;

  // --- One instance of an application. ---

  /// Takes the lock `name` (no backslash, at most 128 UTF-16 units) for
  /// this user in this logon session, and records this process as its
  /// holder; the lock goes with the process however it ends.  The lock
  /// and the record are the user's alone.  Returns kTaken and sets *lock,
  /// kHeld when a running process holds it, kForeign (nothing taken) when
  /// either is found already made by another account, or kFailed (nothing
  /// taken) when the system refuses.
  virtual InstanceClaim claimInstance(const std::string& name,
                                      InstanceLock* lock) = 0;
  /// Releases a lock taken by claimInstance; nothing to report on failure.
  virtual void releaseInstance(InstanceLock lock) = 0;
  /// Brings the main window of a program started by the holder of lock
  /// `name` to the front, restored if minimised; returns false when no such
  /// window is found (or the holder cannot be told, or its record is
  /// another account's).
  virtual bool showInstanceWindow(const std::string& name) = 0;

  // --- The application's own process. ---

  /// Starts `commandLine` as startProcess does, with what `start` adds: the
  /// AppUserModelID in STARTUPINFO, the job that ends the process with the
  /// launcher (made before it runs; where that fails it runs anyway and
  /// start->jobNote says why) and the hosting channel.  Returns true and
  /// sets *child, or false and sets *error to the system's message.
  virtual bool startApplication(const std::string& commandLine,
                                ApplicationStart& start, ChildProcess* child,
                                std::string* error) = 0;
  /// Reads the hosting request a launcher handed this process through an
  /// inherited handle, and removes every trace of the channel (the variable
  /// naming it, the handle); returns false when there is none or what the
  /// variable names is not such a handle.
  virtual bool takeHostRequest(HostRequest* request) = 0;
  /// Loads the library `path` by its full path, with its folder searched
  /// first for what it needs and `folder` put in the DLL search for what is
  /// loaded later; returns 0 and sets *error when it cannot be loaded.
  virtual LoadedLibrary loadLibrary(const std::string& path,
                                    const std::string& folder,
                                    std::string* error) = 0;
  /// Returns the address of the export `name`; null when there is none.
  virtual void* findExport(LoadedLibrary library, const char* name) = 0;
  /// Calls `function` with `count` integer or pointer arguments, whatever
  /// its calling convention, and returns what it returns (an int result in
  /// its low bits); cannot fail.
  virtual std::intptr_t callExport(void* function, const std::uintptr_t* args,
                                   int count) = 0;
  /// Returns this process's command line in the ANSI code page, as Java's
  /// own launcher converts it; empty where there is none.
  virtual std::string ansiCommandLine() = 0;
  /// Gives this process the AppUserModelID `id`; returns false when the
  /// system has no such call or refuses it.
  virtual bool setAppUserModelId(const std::string& id) = 0;

  // --- The launch log's trace channel (not the OS). ---

  /// Whether a launch log wants trace lines besides those debug mode
  /// writes; only the launch log's layer does (launch_log.h).
  virtual bool wantsTraces() { return false; }
  /// A trace line for the launch log alone (debug mode writes its own with
  /// writeOut); the real platforms have no log and drop it.
  virtual void trace(const std::string& line) { (void)line; }
};

}  // namespace kite

#endif  // KITE_PLATFORM_PLATFORM_H_
