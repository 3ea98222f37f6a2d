// Replacing or adding an icon group in a resource tree.
#ifndef KITE_BRAND_ICON_GROUP_H_
#define KITE_BRAND_ICON_GROUP_H_

#include <cstdint>
#include <string>
#include <vector>

#include "brand/ico_file.h"
#include "brand/resource_tree.h"

namespace kite {

// Makes `images` icon group `groupId` of `tree`.  The images of a group it
// replaces go unless another group lists them too; the new images take the
// lowest RT_ICON ids that no resource or group uses.  The group keeps its
// language; a new one takes that of the first icon group, or else of the
// version resource.  `*existed` tells whether the group was there before.
// Returns an empty string on success; on failure `tree` is unchanged.
std::string setIconGroup(ResourceTree* tree, uint16_t groupId,
                         const std::vector<IconImage>& images, bool* existed);

}  // namespace kite

#endif  // KITE_BRAND_ICON_GROUP_H_
