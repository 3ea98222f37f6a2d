#include "launcher/single_instance.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/exit_codes.h"
#include "base/launch_target.h"
#include "base/text.h"
#include "base/unicode.h"
#include "platform/debug_output.h"

namespace kite {
namespace {

bool isDriveRooted(const std::string& path) {
  return path.size() >= 2 && path[1] == ':';
}

bool sameDrive(const std::string& a, const std::string& b) {
  return isDriveRooted(a) && isDriveRooted(b) &&
         asciiLower(a.substr(0, 1)) == asciiLower(b.substr(0, 1));
}

// FNV-1a, 64 bits: spreads names apart well enough for a few names on one
// machine, and needs no table.
std::string hashText(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return formatText("%016llx", static_cast<unsigned long long>(hash));
}

// The value without the blanks around it: a trailing space is easily
// typed, and would make "on " a name.
std::string trimmed(const std::string& value) {
  const size_t first = value.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return value.substr(first, value.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string fullPathName(const std::string& path,
                         const std::string& directory) {
  std::string full = path;
  std::string base = directory;
  std::replace(full.begin(), full.end(), '/', '\\');
  std::replace(base.begin(), base.end(), '/', '\\');
  const bool unc = startsWith(full, "\\\\");
  if (unc) {
    // Used as it is.
  } else if (!full.empty() && full[0] == '\\') {
    full = (isDriveRooted(base) ? base.substr(0, 2) : std::string()) + full;
  } else if (isDriveRooted(full)) {
    // "C:x" is relative to the current directory of that drive, known
    // here only when it is the current one.
    if (full.size() == 2 || full[2] != '\\')
      full = sameDrive(full, base) ? base + "\\" + full.substr(2)
                                   : full.substr(0, 2) + "\\" + full.substr(2);
  } else {
    full = base + "\\" + full;
  }

  // The root stays: the drive, or "\\server\share" of a network path.
  std::vector<std::string> parts;
  size_t at = unc ? 2 : 0;
  size_t rootParts = unc ? 2 : 0;
  std::string root = unc ? "\\\\" : "";
  if (!unc && isDriveRooted(full)) {
    root = full.substr(0, 2);
    at = 2;
  }
  while (at <= full.size()) {
    size_t end = full.find('\\', at);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(at, end - at);
    at = end + 1;
    if (rootParts > 0 && !part.empty()) {
      root += (root.size() > 2 ? "\\" : "") + part;
      --rootParts;
    } else if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
  }
  std::string result = root;
  for (const std::string& part : parts) result += "\\" + part;
  if (parts.empty() && !unc) result += "\\";
  return result;
}

std::string boundedInstanceName(const std::string& name) {
  if (utf16Length(name) <= kInstanceNameLimit) return name;
  // Whole characters only, leaving room for "~" and the hash.
  const size_t room = kInstanceNameLimit - 17;
  size_t units = 0, at = 0;
  while (at < name.size()) {
    size_t next = at;
    char32_t c;
    decodeUtf8(name, &next, &c);
    const size_t width = c > 0xFFFF ? 2 : 1;
    if (units + width > room) break;
    units += width;
    at = next;
  }
  return name.substr(0, at) + "~" + hashText(name);
}

std::string instanceName(const LaunchSettings& settings, Platform& platform) {
  if (!settings.singleInstance) return std::string();
  const std::string value = trimmed(*settings.singleInstance);
  const std::string word = asciiLower(value);
  if (word.empty() || word == "off") return std::string();
  std::string name;
  if (word == "on") {
    // The file, not its name: a short name, a subst drive or the share of a
    // mapped drive names the same file by another path.
    std::string file = platform.fileIdentity(settings.configPath);
    if (file.empty())
      file = fullPathName(settings.configPath, platform.currentDirectory());
    name = "file:" + platform.lowerCase(file);
  } else {
    name = "name:" + platform.lowerCase(value);
  }
  std::replace(name.begin(), name.end(), '\\', '/');
  return boundedInstanceName(name);
}

InstanceHold::~InstanceHold() {
  if (lock_) platform_.releaseInstance(lock_);
}

InstanceClaim InstanceHold::claim(const std::string& name) {
  InstanceLock lock = 0;
  const InstanceClaim claimed = platform_.claimInstance(name, &lock);
  if (claimed == InstanceClaim::kTaken) lock_ = lock;
  return claimed;
}

Outcome enterSingleInstance(const LaunchSettings& settings, Platform& platform,
                            size_t passed,
                            InstanceHold& hold) {
  const std::string name = instanceName(settings, platform);
  if (name.empty()) return Outcome::goOn();
  const InstanceClaim claimed = hold.claim(name);
  if (claimed == InstanceClaim::kTaken) {
    debugTrace(settings, platform, "singleInstance: took instance %s\n",
               name.c_str());
    return Outcome::goOn();
  }
  if (claimed == InstanceClaim::kForeign) {
    // Another account's object may not decide whether this one starts.
    debugTrace(settings, platform,
               "singleInstance: an object of instance %s belongs to another "
               "account; not trusting it, starting without it\n",
               name.c_str());
    return Outcome::goOn();
  }
  if (claimed == InstanceClaim::kFailed) {
    // Better two copies of the application than none.
    debugTrace(settings, platform,
               "singleInstance: the system refused instance %s; starting "
               "without it\n",
               name.c_str());
    return Outcome::goOn();
  }

  debugTrace(settings, platform,
             "singleInstance: instance %s is running; starting no runtime\n",
             name.c_str());
  for (size_t i = 0; i < passed && i < settings.arguments.size(); ++i)
    debugTrace(settings, platform, "singleInstance: dropping argument %d=%s\n",
               static_cast<int>(i), settings.arguments[i].c_str());
  if (settings.console) {
    platform.writeError(formatText("%s is already running\n",
                                   orNull(applicationName(settings))));
  } else if (platform.showInstanceWindow(name)) {
    debugTrace(settings, platform,
               "singleInstance: brought its window to the front\n");
  } else {
    debugTrace(settings, platform,
               "singleInstance: found no window of it to bring to the "
               "front\n");
  }
  return Outcome::exitWith(kExitOk);
}

}  // namespace kite
