#include "brand/brand.h"

#include <set>
#include <utility>

#include "base/unicode.h"
#include "brand/brand_options.h"
#include "brand/ico_file.h"
#include "brand/icon_group.h"
#include "brand/manifest.h"
#include "brand/pe_image.h"
#include "brand/resource_tree.h"
#include "brand/version_resource.h"

namespace kite {

namespace {

const char kKiteComment[] = "Kite launcher ";
const char kElevatedLevel[] = "requireAdministrator";

struct IconGroupRequest {
  uint16_t id;
  std::vector<IconImage> images;
};

std::string iconLabel(const IconFile& icon) {
  return "icon group " + std::to_string(icon.group);
}

// The images of each icon file (whose group ids were checked).
std::string readIconGroups(const BrandRequest& request,
                           std::vector<IconGroupRequest>* groups) {
  for (const IconFile& icon : request.icons) {
    IconGroupRequest group{static_cast<uint16_t>(icon.group), {}};
    const std::string error = parseIcoFile(ByteView(icon.ico), &group.images);
    if (!error.empty()) return iconLabel(icon) + ": " + error;
    groups->push_back(std::move(group));
  }
  return std::string();
}

// The file name without its directory and (for InternalName) extension.
std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
std::string withoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string changeLine(const std::string& what, bool had,
                       const std::string& before, const std::string& after) {
  if (had && before == after) return what + ": " + after + " (unchanged)";
  return what + ": " + (had ? before : "(none)") + " -> " + after;
}

// Checks that the version resource is one of ours and applies the request
// to it.
std::string brandVersion(VersionNode* root, const BrandRequest& request,
                         std::vector<std::string>* changes) {
  std::string comment;
  if (!versionString(*root, "Comments", &comment) ||
      comment.compare(0, sizeof kKiteComment - 1, kKiteComment) != 0)
    return "not a Kite launcher: its version information has no \"Kite "
           "launcher\" comment";
  std::vector<std::pair<std::string, std::string>> strings;
  for (const BrandOption& option : kBrandOptions) {
    if (option.kind != OptionKind::kText) continue;
    const auto text = request.texts.find(option.versionString);
    if (text != request.texts.end()) strings.push_back(*text);
  }
  if (request.version) {
    VersionNumber number = {};
    parseVersionNumber(*request.version, &number);  // checked
    std::string before;
    if (!fixedFileVersion(*root, &before) || !setFixedVersion(root, number))
      return "malformed version resource: no fixed version information";
    std::string after;
    fixedFileVersion(*root, &after);
    changes->push_back(changeLine("version numbers", true, before, after));
    strings.push_back({"FileVersion", *request.version});
    strings.push_back({"ProductVersion", *request.version});
  }
  const std::string fileName = baseName(request.outputName);
  if (!fileName.empty()) {
    strings.push_back({"OriginalFilename", fileName});
    strings.push_back({"InternalName", withoutExtension(fileName)});
  }
  for (const auto& item : strings) {
    std::string before;
    const bool had = versionString(*root, item.first, &before);
    if (!setVersionString(root, item.first, item.second))
      return "malformed version resource: no string table";
    changes->push_back(changeLine(item.first, had, before, item.second));
  }
  return std::string();
}

std::string elevate(ResourceTree* tree, std::vector<std::string>* changes) {
  ResourceKey key;
  if (!findResource(*tree, kManifestResource, 1, &key) &&
      !firstResource(*tree, kManifestResource, &key))
    return "the executable has no manifest to request administrator rights in";
  ResourceData& manifest = (*tree)[key];
  std::string level;
  Bytes changed;
  if (!manifestExecutionLevel(manifest.bytes, &level) ||
      !setManifestExecutionLevel(manifest.bytes, kElevatedLevel, &changed))
    return "the manifest requests no execution level to change";
  manifest.bytes = std::move(changed);
  changes->push_back(level == kElevatedLevel
                         ? std::string("manifest: requireAdministrator "
                                       "(unchanged)")
                         : "manifest: " + level + " -> " + kElevatedLevel);
  return std::string();
}

std::string brand(const Bytes& input, const BrandRequest& request,
                  BrandResult* result) {
  std::vector<IconGroupRequest> groups;
  std::string error = checkBrandRequest(request);
  if (error.empty()) error = readIconGroups(request, &groups);
  if (!error.empty()) return error;

  const ByteView file(input);
  PeImage image;
  size_t index = 0;
  error = parsePeImage(file, &image);
  if (error.empty()) error = findResourceSection(file, image, &index);
  if (!error.empty()) return error;
  const PeSection& section = image.sections[index];
  ResourceTree tree;
  error = parseResourceTree(sectionContents(file, section),
                            section.virtualAddress, &tree);
  if (!error.empty()) return error;

  ResourceKey versionKey;
  const ResourceData* versionData =
      firstResource(tree, kVersionResource, &versionKey);
  if (!versionData)
    return "not a Kite launcher: the executable has no version information";
  VersionNode version;
  error = parseVersionInfo(ByteView(versionData->bytes), &version);
  if (!error.empty()) return "not a Kite launcher: " + error;
  std::vector<std::string>& changes = result->changes;
  std::vector<std::string> versionChanges;
  error = brandVersion(&version, request, &versionChanges);
  if (!error.empty()) return error;
  error = writeVersionInfo(version, &tree[versionKey].bytes);
  if (!error.empty()) return error;

  for (const IconGroupRequest& group : groups) {
    bool existed = false;
    error = setIconGroup(&tree, group.id, group.images, &existed);
    if (!error.empty()) return error;
    const size_t count = group.images.size();
    changes.push_back("icon group " + std::to_string(group.id) +
                      (existed ? "" : " (new)") + ": " + std::to_string(count) +
                      (count == 1 ? " image (" : " images (") +
                      describeIconImages(group.images) + ")");
  }
  changes.insert(changes.end(), versionChanges.begin(), versionChanges.end());
  if (request.elevate) {
    error = elevate(&tree, &changes);
    if (!error.empty()) return error;
  }

  Bytes contents;
  error = writeResourceTree(tree, section.virtualAddress, &contents);
  if (error.empty())
    error =
        replaceResourceSection(file, image, index, contents, &result->output);
  return error;
}

}  // namespace

std::string checkBrandRequest(const BrandRequest& request) {
  VersionNumber number = {};
  if (request.version && !parseVersionNumber(*request.version, &number))
    return "bad version \"" + *request.version +
           "\": give one to four numbers from 0 to 65535, as in 2.3.1";
  // Named as the option that sets them: "the copyright".
  for (const BrandOption& option : kBrandOptions) {
    if (option.kind != OptionKind::kText) continue;
    const auto text = request.texts.find(option.versionString);
    if (text != request.texts.end() && !isValidUtf8(text->second))
      return std::string("the ") + (option.name + 2) +
             " is not valid UTF-8 text";
  }
  if (!isValidUtf8(request.outputName))
    return "the output file name is not valid UTF-8 text";
  std::set<unsigned> seen;
  for (const IconFile& icon : request.icons) {
    if (icon.group < 1 || icon.group > 0xFFFF)
      return iconLabel(icon) + ": icon group ids run from 1 to 65535";
    if (!seen.insert(icon.group).second)
      return iconLabel(icon) + " is given twice";
  }
  return std::string();
}

BrandResult brandExecutable(const Bytes& input, const BrandRequest& request) {
  BrandResult result;
  result.error = brand(input, request, &result);
  if (!result.error.empty()) {
    result.output.clear();
    result.changes.clear();
  }
  return result;
}

}  // namespace kite
