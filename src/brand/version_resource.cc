#include "brand/version_resource.h"

#include <algorithm>

#include "base/unicode.h"

namespace kite {

namespace {

constexpr uint64_t kNodeHeaderSize = 6;
constexpr int kMaxDepth = 8;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;
const char kMalformed[] = "malformed version resource";

std::string readNode(ByteView data, uint64_t start, uint64_t limit, int depth,
                     VersionNode* node) {
  if (depth > kMaxDepth || start > limit || limit - start < kNodeHeaderSize ||
      !data.has(start, kNodeHeaderSize))
    return kMalformed;
  const uint64_t length = data.u16(start);
  if (length < kNodeHeaderSize || length > limit - start) return kMalformed;
  const uint64_t end = start + length;
  const uint16_t valueLength = data.u16(start + 2);
  node->type = data.u16(start + 4);
  uint64_t at = start + kNodeHeaderSize;
  for (;; at += 2) {
    if (at + 2 > end) return kMalformed;  // the key has no terminator
    const uint16_t unit = data.u16(at);
    if (unit == 0) break;
    node->key += static_cast<char16_t>(unit);
  }
  // Some writers give a text value's length in bytes, not characters; the
  // value then reaches past its block, and is cut to the block.
  const uint64_t valueStart = std::min(alignUp(at + 2, 4), end);
  uint64_t valueSize =
      node->type == 1 ? 2 * uint64_t{valueLength} : valueLength;
  valueSize = std::min(valueSize, end - valueStart);
  if (node->type == 1) valueSize &= ~uint64_t{1};
  node->value = data.sub(valueStart, valueSize).copy();
  for (uint64_t child = alignUp(valueStart + valueSize, 4);
       child < end && end - child >= kNodeHeaderSize;) {
    VersionNode item;
    const std::string error = readNode(data, child, end, depth + 1, &item);
    if (!error.empty()) return error;
    child = alignUp(child + data.u16(child), 4);
    node->children.push_back(std::move(item));
  }
  return std::string();
}

std::string writeNode(const VersionNode& node, Bytes& out) {
  const size_t start = out.size();
  out.resize(start + kNodeHeaderSize, 0);
  for (char16_t unit : node.key) append16(out, unit);
  append16(out, 0);
  padTo(out, 4);
  out.insert(out.end(), node.value.begin(), node.value.end());
  const size_t valueLength =
      node.type == 1 ? node.value.size() / 2 : node.value.size();
  for (const VersionNode& child : node.children) {
    padTo(out, 4);
    const std::string error = writeNode(child, out);
    if (!error.empty()) return error;
  }
  const size_t length = out.size() - start;
  if (length > 0xFFFF || valueLength > 0xFFFF)
    return "the version resource is too large";
  put16(out, start, static_cast<uint16_t>(length));
  put16(out, start + 2, static_cast<uint16_t>(valueLength));
  put16(out, start + 4, node.type);
  return std::string();
}

const VersionNode* child(const VersionNode& node, const std::u16string& key) {
  for (const VersionNode& item : node.children)
    if (item.key == key) return &item;
  return nullptr;
}

std::u16string textOf(const Bytes& value) {
  std::u16string text;
  for (size_t i = 0; i + 1 < value.size(); i += 2)
    text += static_cast<char16_t>(value[i] | value[i + 1] << 8);
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

Bytes valueOf(const std::u16string& text) {
  Bytes value;
  for (char16_t unit : text) append16(value, unit);
  append16(value, 0);
  return value;
}

bool hasFixedInfo(const VersionNode& root) {
  return root.value.size() >= kFixedInfoSize &&
         ByteView(root.value).u32(0) == kFixedInfoSignature;
}

}  // namespace

std::string parseVersionInfo(ByteView data, VersionNode* root) {
  VersionNode result;
  const std::string error = readNode(data, 0, data.size, 0, &result);
  if (!error.empty()) return error;
  *root = std::move(result);
  return std::string();
}

std::string writeVersionInfo(const VersionNode& root, Bytes* out) {
  Bytes result;
  const std::string error = writeNode(root, result);
  if (!error.empty()) return error;
  *out = std::move(result);
  return std::string();
}

bool versionString(const VersionNode& root, const std::string& key,
                   std::string* value) {
  const VersionNode* strings = child(root, u"StringFileInfo");
  if (!strings || strings->children.empty()) return false;
  const VersionNode* item = child(strings->children.front(), utf8ToUtf16(key));
  if (!item) return false;
  *value = utf16ToUtf8(textOf(item->value));
  return true;
}

bool setVersionString(VersionNode* root, const std::string& key,
                      const std::string& value) {
  if (!isValidUtf8(key) || !isValidUtf8(value)) return false;
  const std::u16string wantedKey = utf8ToUtf16(key);
  const std::u16string text = utf8ToUtf16(value);
  bool found = false;
  for (VersionNode& strings : root->children) {
    if (strings.key != u"StringFileInfo") continue;
    for (VersionNode& table : strings.children) {
      found = true;
      // A table may name a string twice; Windows shows the first, so every
      // one of that name gets the value.
      bool set = false;
      for (VersionNode& entry : table.children) {
        if (entry.key != wantedKey) continue;
        entry.type = 1;
        entry.value = valueOf(text);
        set = true;
      }
      if (!set) {
        table.children.emplace_back();
        table.children.back().key = wantedKey;
        table.children.back().type = 1;
        table.children.back().value = valueOf(text);
      }
    }
  }
  return found;
}

bool parseVersionNumber(const std::string& text, VersionNumber* number) {
  VersionNumber result = {0, 0, 0, 0};
  size_t part = 0;
  uint32_t value = 0;
  bool digits = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '.') {
      if (!digits || part == 4) return false;
      result[part++] = static_cast<uint16_t>(value);
      value = 0;
      digits = false;
    } else if (text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + static_cast<uint32_t>(text[i] - '0');
      if (value > 0xFFFF) return false;
      digits = true;
    } else {
      return false;
    }
  }
  *number = result;
  return true;
}

bool fixedFileVersion(const VersionNode& root, std::string* text) {
  if (!hasFixedInfo(root)) return false;
  const ByteView info(root.value);
  const uint32_t high = info.u32(8), low = info.u32(12);
  *text = std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) +
          "." + std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
  return true;
}

bool setFixedVersion(VersionNode* root, const VersionNumber& number) {
  if (!hasFixedInfo(*root)) return false;
  const uint32_t high = static_cast<uint32_t>(number[0]) << 16 | number[1];
  const uint32_t low = static_cast<uint32_t>(number[2]) << 16 | number[3];
  put32(root->value, 8, high);  // file version
  put32(root->value, 12, low);
  put32(root->value, 16, high);  // product version
  put32(root->value, 20, low);
  return true;
}

}  // namespace kite
