#include "brand/resource_tree.h"

#include <algorithm>
#include <utility>

namespace kite {

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint64_t kDirectorySize = 16;
constexpr uint64_t kEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;

const char kMalformed[] = "malformed resource directory";

struct TreeReader {
  ByteView section;
  uint32_t sectionRva = 0;
  ResourceTree* tree = nullptr;
  // Each entry and each byte of data takes its own room in a well-formed
  // section, so these bound a tree whose directories share their parts.
  uint64_t entriesLeft = 0;
  uint64_t dataLeft = 0;
};

bool readName(const TreeReader& reader, uint32_t field, ResourceName* name) {
  if (!(field & kHighBit)) {
    *name = ResourceName::number(field);
    return true;
  }
  const uint64_t at = field & ~kHighBit;
  const uint16_t length = reader.section.u16(at);
  if (!reader.section.has(at, 2 + 2 * uint64_t{length})) return false;
  name->named = true;
  name->id = 0;
  name->text.clear();
  for (uint64_t i = 0; i < length; ++i)
    name->text += static_cast<char16_t>(reader.section.u16(at + 2 + 2 * i));
  return true;
}

std::string readLeaf(TreeReader& reader, uint64_t at, const ResourceKey& key) {
  if (!reader.section.has(at, kDataEntrySize)) return kMalformed;
  const uint32_t rva = reader.section.u32(at);
  const uint32_t size = reader.section.u32(at + 4);
  if (rva < reader.sectionRva ||
      !reader.section.has(rva - reader.sectionRva, size))
    return "malformed resource directory: resource data outside the "
           "resource section";
  if (size > reader.dataLeft)
    return "malformed resource directory: resource data used twice";
  reader.dataLeft -= size;
  const ByteView bytes = reader.section.sub(rva - reader.sectionRva, size);
  ResourceData data{bytes.copy(), reader.section.u32(at + 8)};
  if (!reader.tree->emplace(key, std::move(data)).second)
    return "malformed resource directory: a resource is listed twice";
  return std::string();
}

// Reads the directory at `at`, level 0 (types), 1 (names) or 2 (languages).
// The depth is fixed, so a directory that points back at itself ends.
std::string readDirectory(TreeReader& reader, uint64_t at, int level,
                          ResourceKey key) {
  if (!reader.section.has(at, kDirectorySize)) return kMalformed;
  const uint64_t count =
      uint64_t{reader.section.u16(at + 12)} + reader.section.u16(at + 14);
  if (!reader.section.has(at + kDirectorySize, count * kEntrySize))
    return kMalformed;
  if (count > reader.entriesLeft)
    return "malformed resource directory: too many entries";
  reader.entriesLeft -= count;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t entry = at + kDirectorySize + i * kEntrySize;
    const uint32_t target = reader.section.u32(entry + 4);
    ResourceName* name = level == 0   ? &key.type
                         : level == 1 ? &key.name
                                      : &key.language;
    if (!readName(reader, reader.section.u32(entry), name)) return kMalformed;
    const bool isDirectory = (target & kHighBit) != 0;
    if (isDirectory != (level < 2)) return kMalformed;
    const std::string error =
        level < 2 ? readDirectory(reader, target & ~kHighBit, level + 1, key)
                  : readLeaf(reader, target, key);
    if (!error.empty()) return error;
  }
  return std::string();
}

struct NameGroup {
  const ResourceName* name;
  std::vector<ResourceTree::const_iterator> leaves;
};
struct TypeGroup {
  const ResourceName* type;
  std::vector<NameGroup> names;
};

std::vector<TypeGroup> groupTree(const ResourceTree& tree) {
  std::vector<TypeGroup> types;
  for (auto it = tree.begin(); it != tree.end(); ++it) {
    const ResourceKey& key = it->first;
    if (types.empty() || !(*types.back().type == key.type))
      types.push_back({&key.type, {}});
    std::vector<NameGroup>& names = types.back().names;
    if (names.empty() || !(*names.back().name == key.name))
      names.push_back({&key.name, {}});
    names.back().leaves.push_back(it);
  }
  return types;
}

uint64_t directorySize(size_t entries) {
  return kDirectorySize + kEntrySize * entries;
}

using DirectoryEntries = std::vector<std::pair<const ResourceName*, uint64_t>>;

// Writes the directory at `at` with its entries (name, target), named ones
// first as the order of the tree has them; `field` encodes a name.
template <typename NameField>
void writeDirectory(Bytes& out, uint64_t at, const DirectoryEntries& entries,
                    const NameField& field) {
  size_t named = 0;
  for (const auto& entry : entries) named += entry.first->named ? 1 : 0;
  const size_t base = static_cast<size_t>(at);
  put16(out, base + 12, static_cast<uint16_t>(named));
  put16(out, base + 14, static_cast<uint16_t>(entries.size() - named));
  for (size_t i = 0; i < entries.size(); ++i) {
    const size_t entry = base + kDirectorySize + kEntrySize * i;
    put32(out, entry, field(*entries[i].first));
    put32(out, entry + 4, static_cast<uint32_t>(entries[i].second));
  }
}

}  // namespace

bool ResourceName::operator<(const ResourceName& other) const {
  if (named != other.named) return named;
  return named ? text < other.text : id < other.id;
}

bool ResourceKey::operator<(const ResourceKey& other) const {
  if (!(type == other.type)) return type < other.type;
  if (!(name == other.name)) return name < other.name;
  return language < other.language;
}

std::string parseResourceTree(ByteView section, uint32_t sectionRva,
                              ResourceTree* tree) {
  ResourceTree result;
  TreeReader reader;
  reader.section = section;
  reader.sectionRva = sectionRva;
  reader.tree = &result;
  reader.entriesLeft = section.size / kEntrySize;
  reader.dataLeft = section.size;
  const std::string error = readDirectory(reader, 0, 0, ResourceKey());
  if (!error.empty()) return error;
  *tree = std::move(result);
  return std::string();
}

std::string writeResourceTree(const ResourceTree& tree, uint32_t sectionRva,
                              Bytes* out) {
  const std::vector<TypeGroup> types = groupTree(tree);
  uint64_t cursor = directorySize(types.size());
  std::vector<uint64_t> typeAt, nameAt;
  size_t leafCount = 0;
  for (const TypeGroup& type : types) {
    typeAt.push_back(cursor);
    cursor += directorySize(type.names.size());
    for (const NameGroup& name : type.names) {
      nameAt.push_back(cursor);
      cursor += directorySize(name.leaves.size());
      leafCount += name.leaves.size();
    }
  }
  if (types.size() > 0xFFFF) return "too many resource types";
  const uint64_t dataEntries = cursor;
  cursor += kDataEntrySize * leafCount;

  // Each distinct name string once, then the data.
  std::map<std::u16string, uint64_t> stringAt;
  const auto addString = [&](const ResourceName& name) {
    if (!name.named || stringAt.count(name.text)) return true;
    if (name.text.size() > 0xFFFF) return false;
    stringAt[name.text] = cursor;
    cursor += 2 + 2 * uint64_t{name.text.size()};
    return true;
  };
  for (const TypeGroup& type : types) {
    bool fits = addString(*type.type);
    for (const NameGroup& name : type.names) {
      fits = fits && addString(*name.name) && name.leaves.size() <= 0xFFFF;
      for (const auto& leaf : name.leaves)
        fits = fits && addString(leaf->first.language);
    }
    if (!fits || type.names.size() > 0xFFFF) return "resource name too long";
  }
  std::vector<uint64_t> dataAt;
  for (const auto& entry : tree) {
    cursor = alignUp(cursor, 8);
    dataAt.push_back(cursor);
    cursor += entry.second.bytes.size();
  }
  cursor = alignUp(cursor, 8);
  if (cursor > ~kHighBit || sectionRva + cursor > 0xFFFFFFFFu)
    return "the resources are too large";

  Bytes result(static_cast<size_t>(cursor), 0);
  bool idsFit = true;
  const auto field = [&](const ResourceName& name) -> uint32_t {
    if (!name.named) {
      idsFit = idsFit && !(name.id & kHighBit);
      return name.id;
    }
    return kHighBit | static_cast<uint32_t>(stringAt.find(name.text)->second);
  };
  DirectoryEntries root;
  size_t nameIndex = 0, leafIndex = 0;
  for (size_t t = 0; t < types.size(); ++t) {
    root.push_back({types[t].type, kHighBit | typeAt[t]});
    DirectoryEntries names;
    for (const NameGroup& name : types[t].names) {
      const uint64_t at = nameAt[nameIndex++];
      names.push_back({name.name, kHighBit | at});
      DirectoryEntries languages;
      for (const auto& leaf : name.leaves) {
        const size_t entry =
            static_cast<size_t>(dataEntries + kDataEntrySize * leafIndex);
        const size_t where = static_cast<size_t>(dataAt[leafIndex++]);
        const ResourceData& data = leaf->second;
        languages.push_back({&leaf->first.language, entry});
        put32(result, entry, static_cast<uint32_t>(sectionRva + where));
        put32(result, entry + 4, static_cast<uint32_t>(data.bytes.size()));
        put32(result, entry + 8, data.codePage);
        std::copy(data.bytes.begin(), data.bytes.end(),
                  result.begin() + static_cast<ptrdiff_t>(where));
      }
      writeDirectory(result, at, languages, field);
    }
    writeDirectory(result, typeAt[t], names, field);
  }
  writeDirectory(result, 0, root, field);
  for (const auto& text : stringAt) {
    const size_t at = static_cast<size_t>(text.second);
    put16(result, at, static_cast<uint16_t>(text.first.size()));
    for (size_t i = 0; i < text.first.size(); ++i)
      put16(result, at + 2 + 2 * i, text.first[i]);
  }
  if (!idsFit) return "resource id out of range";
  *out = std::move(result);
  return std::string();
}

const ResourceData* findResource(const ResourceTree& tree, uint32_t type,
                                 uint32_t id, ResourceKey* key) {
  ResourceKey first{ResourceName::number(type), ResourceName::number(id), {}};
  first.language.named = true;  // named languages sort first
  const auto it = tree.lower_bound(first);
  if (it == tree.end() || !(it->first.type == first.type) ||
      !(it->first.name == first.name))
    return nullptr;
  if (key) *key = it->first;
  return &it->second;
}

const ResourceData* firstResource(const ResourceTree& tree, uint32_t type,
                                  ResourceKey* key) {
  for (const auto& entry : tree) {
    if (entry.first.type == ResourceName::number(type)) {
      if (key) *key = entry.first;
      return &entry.second;
    }
  }
  return nullptr;
}

void eraseResource(ResourceTree* tree, uint32_t type, uint32_t id) {
  for (auto it = tree->begin(); it != tree->end();) {
    if (it->first.type == ResourceName::number(type) &&
        it->first.name == ResourceName::number(id))
      it = tree->erase(it);
    else
      ++it;
  }
}

std::vector<uint32_t> resourceIds(const ResourceTree& tree, uint32_t type) {
  std::vector<uint32_t> ids;
  for (const auto& entry : tree) {
    const ResourceKey& key = entry.first;
    if (key.type == ResourceName::number(type) && !key.name.named &&
        (ids.empty() || ids.back() != key.name.id))
      ids.push_back(key.name.id);
  }
  return ids;
}

}  // namespace kite
