#include "brand/brand_options.h"

#include <set>

#include "brand/brand.h"
#include "brand/version_resource.h"

namespace kite {

namespace {

const char* const kValueOptions[] = {
    "--from",    "--out",     "--icon",        "--icon-group", "--name",
    "--version", "--company", "--description", "--copyright",  "--config",
};

bool takesValue(const std::string& name) {
  for (const char* option : kValueOptions)
    if (name == option) return true;
  return false;
}

// "ID=FILE" with ID from 1 to 65535.
bool parseIconGroup(const std::string& value,
                    std::pair<unsigned, std::string>* group) {
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
  *group = {id, value.substr(equals + 1)};
  return true;
}

// Stores `value` for option `name`; an error when it cannot.
std::string store(BrandOptions& options, const std::string& name,
                  const std::string& value) {
  std::string* paths[] = {&options.from, &options.out};
  const char* pathNames[] = {"--from", "--out"};
  for (size_t i = 0; i < 2; ++i) {
    if (name != pathNames[i]) continue;
    if (!paths[i]->empty()) return name + " is given twice";
    if (value.empty()) return name + " needs a value";
    *paths[i] = value;
    return std::string();
  }
  if (name == "--icon-group") {
    std::pair<unsigned, std::string> group;
    if (!parseIconGroup(value, &group))
      return "--icon-group needs ID=FILE.ico, with an ID from 1 to 65535";
    options.iconGroupPaths.push_back(group);
    return std::string();
  }
  const std::pair<const char*, std::optional<std::string>*> texts[] = {
      {"--config", &options.config},
      {"--icon", &options.iconPath},
      {"--name", &options.name},
      {"--version", &options.version},
      {"--company", &options.company},
      {"--description", &options.description},
      {"--copyright", &options.copyright},
  };
  for (const auto& text : texts) {
    if (name != text.first) continue;
    if (*text.second) return name + " is given twice";
    if (value.empty() && (name == "--config" || name == "--icon"))
      return name + " needs a value";
    *text.second = value;
    return std::string();
  }
  return "unknown option " + name;  // kept in step with kValueOptions
}

std::string check(const BrandOptions& options) {
  if (options.from.empty()) return "--from is required";
  if (options.out.empty()) return "--out is required";
  if (options.out == options.from) return "--out must differ from --from";
  VersionNumber number;
  if (options.version && !parseVersionNumber(*options.version, &number))
    return "bad version \"" + *options.version +
           "\": give one to four numbers from 0 to 65535, as in 2.3.1";
  std::set<unsigned> groups;
  if (options.iconPath) groups.insert(kMainIconGroup);
  for (const auto& group : options.iconGroupPaths) {
    if (!groups.insert(group.first).second)
      return "icon group " + std::to_string(group.first) + " is given twice";
  }
  return std::string();
}

}  // namespace

std::string parseBrandOptions(const std::vector<std::string>& args,
                              BrandOptions* options) {
  BrandOptions result;
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
    if (name == "--elevate") {
      if (equals != std::string::npos) return "--elevate takes no value";
      result.elevate = true;
      continue;
    }
    if (!takesValue(name)) return "unknown option " + name;
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) {
      value = args[++i];
    } else {
      return name + " needs a value";
    }
    const std::string error = store(result, name, value);
    if (!error.empty()) return error;
  }
  const std::string error = check(result);
  if (!error.empty()) return error;
  *options = std::move(result);
  return std::string();
}

const char* brandUsage() {
  return "usage: kitebrand --from kite64.exe --out MyApp.exe [options]\n"
         "  --icon FILE.ico          the application's icon (group 101)\n"
         "  --icon-group ID=FILE.ico another icon group, ID 1 to 65535\n"
         "  --name TEXT              the product name\n"
         "  --version 1.2.3.4        file and product version (1 to 4 "
         "numbers)\n"
         "  --company TEXT           the company name\n"
         "  --description TEXT       the file description\n"
         "  --copyright TEXT         the copyright notice\n"
         "  --elevate                ask for administrator rights on start\n"
         "  --config FILE            the configuration to go with it\n";
}

}  // namespace kite
