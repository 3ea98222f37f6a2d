#include "brand/brand_options.h"

#include <algorithm>
#include <set>
#include <utility>

namespace kite {

namespace {

const BrandOption* findOption(const std::string& name) {
  for (const BrandOption& option : kBrandOptions)
    if (name == option.name) return &option;
  return nullptr;
}

// "ID=FILE" with ID from 1 to 65535.
bool parseIconGroup(const std::string& value, IconFile* icon) {
  const size_t equals = value.find('=');
  if (equals == std::string::npos || equals == 0 || equals > 5 ||
      equals + 1 == value.size())
    return false;
  unsigned id = 0;
  for (size_t i = 0; i < equals; ++i) {
    if (value[i] < '0' || value[i] > '9') return false;
    id = id * 10 + static_cast<unsigned>(value[i] - '0');
  }
  if (id < 1 || id > 0xFFFF) return false;
  *icon = {id, value.substr(equals + 1), Bytes()};
  return true;
}

// Stores `value` for `option`; an error when it cannot.
std::string store(const BrandOption& option, const std::string& value,
                  BrandOptions& options) {
  const std::string name = option.name;
  BrandRequest& request = options.request;
  const bool isFile =
      option.kind == OptionKind::kPath || option.kind == OptionKind::kIcon;
  if (isFile && value.empty()) return name + " needs a value";
  switch (option.kind) {
    case OptionKind::kPath:
      options.*option.path = value;
      break;
    case OptionKind::kIcon:
      request.icons.push_back({kMainIconGroup, value, Bytes()});
      break;
    case OptionKind::kIconGroup: {
      IconFile icon;
      if (!parseIconGroup(value, &icon))
        return "--icon-group needs ID=FILE.ico, with an ID from 1 to 65535";
      request.icons.push_back(std::move(icon));
      break;
    }
    case OptionKind::kText:
      request.texts[option.versionString] = value;
      break;
    case OptionKind::kVersion:
      request.version = value;
      break;
    case OptionKind::kElevate:
      request.elevate = true;
      break;
  }
  return std::string();
}

std::string check(const BrandOptions& options) {
  for (const BrandOption& option : kBrandOptions) {
    if (option.required && (options.*option.path).empty())
      return std::string(option.name) + " is required";
  }
  if (options.out == options.from) return "--out must differ from --from";
  return checkBrandRequest(options.request);
}

}  // namespace

std::string parseBrandOptions(const std::vector<std::string>& args,
                              BrandOptions* options) {
  BrandOptions result;
  std::set<std::string> given;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      *options = BrandOptions();
      options->help = true;
      return std::string();
    }
    if (arg.compare(0, 2, "--") != 0 || arg.size() == 2)
      return "unexpected argument " + arg;
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const BrandOption* option = findOption(name);
    if (!option) return "unknown option " + name;
    std::string value;
    if (!option->value) {
      if (equals != std::string::npos) return name + " takes no value";
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) {
      value = args[++i];
    } else {
      return name + " needs a value";
    }
    // A flag may come again; of the others only icon groups repeat.
    if (option->value && option->kind != OptionKind::kIconGroup &&
        !given.insert(name).second)
      return name + " is given twice";
    const std::string error = store(*option, value, result);
    if (!error.empty()) return error;
  }
  result.request.outputName = result.out;
  const std::string error = check(result);
  if (!error.empty()) return error;
  *options = std::move(result);
  return std::string();
}

std::string brandUsage() {
  std::string usage =
      "usage: kitebrand --from kite64.exe --out MyApp.exe [options]\n";
  for (const BrandOption& option : kBrandOptions) {
    if (!option.help) continue;
    std::string line = std::string("  ") + option.name;
    if (option.value) line += std::string(" ") + option.value;
    line.resize(std::max<size_t>(line.size() + 1, 27), ' ');
    usage += line + option.help + "\n";
  }
  return usage;
}

}  // namespace kite
