// The resource directory of a PE file (the tree of type, name and language
// that leads to each resource's bytes), read into a map and written back.
#ifndef KITE_BRAND_RESOURCE_TREE_H_
#define KITE_BRAND_RESOURCE_TREE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "brand/byte_io.h"

namespace kite {

constexpr uint32_t kIconResource = 3;        // RT_ICON
constexpr uint32_t kIconGroupResource = 14;  // RT_GROUP_ICON
constexpr uint32_t kVersionResource = 16;    // RT_VERSION
constexpr uint32_t kManifestResource = 24;   // RT_MANIFEST

// A type, name or language: a number, or a string for named entries.
struct ResourceName {
  bool named = false;
  uint32_t id = 0;      // when not named (31 bits)
  std::u16string text;  // when named

  static ResourceName number(uint32_t id) { return {false, id, {}}; }

  // Named entries first (by their UTF-16 units), then numbers in order:
  // the order a resource directory lists its entries in.
  bool operator<(const ResourceName& other) const;
  bool operator==(const ResourceName& other) const {
    return named == other.named &&
           (named ? text == other.text : id == other.id);
  }
};

struct ResourceKey {
  ResourceName type;
  ResourceName name;
  ResourceName language;

  bool operator<(const ResourceKey& other) const;
  bool operator==(const ResourceKey& other) const {
    return type == other.type && name == other.name &&
           language == other.language;
  }
};

struct ResourceData {
  Bytes bytes;
  uint32_t codePage = 0;

  bool operator==(const ResourceData& other) const {
    return bytes == other.bytes && codePage == other.codePage;
  }
};

using ResourceTree = std::map<ResourceKey, ResourceData>;

// Reads the resource directory at the start of `section`, a section loaded
// at `sectionRva`; every resource's bytes must lie in the section.  Returns
// an empty string on success.
std::string parseResourceTree(ByteView section, uint32_t sectionRva,
                              ResourceTree* tree);

// The contents of a resource section at `sectionRva` holding `tree`:
// directories, data entries, names, then the data, each aligned to 8 bytes.
// Directory timestamps are 0, so equal trees give equal bytes.  Returns an
// empty string on success.
std::string writeResourceTree(const ResourceTree& tree, uint32_t sectionRva,
                              Bytes* out);

// The first language of resource `type`/`id`; null when there is none.
const ResourceData* findResource(const ResourceTree& tree, uint32_t type,
                                 uint32_t id, ResourceKey* key = nullptr);

// The first resource of `type` (the lowest name, first language).
const ResourceData* firstResource(const ResourceTree& tree, uint32_t type,
                                  ResourceKey* key = nullptr);

// Removes every language of resource `type`/`id`.
void eraseResource(ResourceTree* tree, uint32_t type, uint32_t id);

// The numbers that name resources of `type`, in order, each once.
std::vector<uint32_t> resourceIds(const ResourceTree& tree, uint32_t type);

}  // namespace kite

#endif  // KITE_BRAND_RESOURCE_TREE_H_
