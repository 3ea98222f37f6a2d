#include "brand/icon_group.h"

#include <set>

namespace kite {

namespace {

ResourceName groupLanguage(const ResourceTree& tree, uint16_t groupId) {
  ResourceKey key;
  if (findResource(tree, kIconGroupResource, groupId, &key) ||
      firstResource(tree, kIconGroupResource, &key) ||
      firstResource(tree, kVersionResource, &key))
    return key.language;
  return ResourceName::number(0);
}

}  // namespace

std::string setIconGroup(ResourceTree* tree, uint16_t groupId,
                         const std::vector<IconImage>& images, bool* existed) {
  if (groupId == 0) return "icon group ids run from 1 to 65535";
  if (images.empty()) return "an icon group needs at least one image";
  const ResourceName group = ResourceName::number(groupId);
  std::set<uint32_t> oldIds, otherIds;
  bool found = false;
  for (const auto& entry : *tree) {
    if (!(entry.first.type == ResourceName::number(kIconGroupResource)))
      continue;
    std::vector<uint16_t> ids;
    if (!iconGroupIds(ByteView(entry.second.bytes), &ids)) {
      const ResourceName& name = entry.first.name;
      return "malformed icon group " +
             (name.named ? std::string("(named)") : std::to_string(name.id)) +
             " in the executable";
    }
    const bool same = entry.first.name == group;
    found = found || same;
    (same ? oldIds : otherIds).insert(ids.begin(), ids.end());
  }

  ResourceTree result = *tree;
  const ResourceName language = groupLanguage(result, groupId);
  eraseResource(&result, kIconGroupResource, groupId);
  for (uint32_t id : oldIds) {
    if (!otherIds.count(id)) eraseResource(&result, kIconResource, id);
  }
  std::set<uint32_t> taken = otherIds;
  for (uint32_t id : resourceIds(result, kIconResource)) taken.insert(id);
  std::vector<uint16_t> ids;
  uint32_t next = 1;
  for (const IconImage& image : images) {
    while (taken.count(next)) ++next;
    if (next > 0xFFFF) return "no free icon ids left in the executable";
    ids.push_back(static_cast<uint16_t>(next));
    result[{ResourceName::number(kIconResource), ResourceName::number(next),
            language}] = ResourceData{image.data, 0};
    ++next;
  }
  result[{ResourceName::number(kIconGroupResource), group, language}] =
      ResourceData{encodeIconGroup(images, ids), 0};
  *tree = std::move(result);
  *existed = found;
  return std::string();
}

}  // namespace kite
