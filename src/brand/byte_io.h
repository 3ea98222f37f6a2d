// Little-endian reading and writing of byte buffers.  Every read is checked
// against the buffer's end, since the bytes come from files we do not trust.
#ifndef KITE_BRAND_BYTE_IO_H_
#define KITE_BRAND_BYTE_IO_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kite {

using Bytes = std::vector<unsigned char>;

// A read-only window onto bytes owned elsewhere.
struct ByteView {
  const unsigned char* data = nullptr;
  size_t size = 0;

  ByteView() = default;
  ByteView(const unsigned char* bytes, size_t length)
      : data(bytes), size(length) {}
  explicit ByteView(const Bytes& bytes)
      : data(bytes.data()), size(bytes.size()) {}

  // Whether [offset, offset + length) lies inside the view.
  bool has(uint64_t offset, uint64_t length) const {
    return offset <= size && length <= size - offset;
  }
  // The value at `offset`, or 0 when it does not lie inside the view.
  uint8_t u8(uint64_t offset) const {
    return has(offset, 1) ? data[offset] : 0;
  }
  uint16_t u16(uint64_t offset) const {
    if (!has(offset, 2)) return 0;
    return static_cast<uint16_t>(data[offset] | data[offset + 1] << 8);
  }
  uint32_t u32(uint64_t offset) const {
    if (!has(offset, 4)) return 0;
    return static_cast<uint32_t>(u16(offset)) |
           static_cast<uint32_t>(u16(offset + 2)) << 16;
  }
  // The part [offset, offset + length), cut to what the view holds.
  ByteView sub(uint64_t offset, uint64_t length) const {
    if (offset > size) return ByteView();
    const uint64_t left = size - offset;
    return ByteView(data + offset,
                    static_cast<size_t>(length < left ? length : left));
  }
  Bytes copy() const { return Bytes(data, data + size); }
};

inline uint64_t alignUp(uint64_t value, uint64_t alignment) {
  return alignment <= 1 ? value
                        : (value + alignment - 1) / alignment * alignment;
}

inline bool isPowerOfTwo(uint64_t value) {
  return value != 0 && (value & (value - 1)) == 0;
}

// Writes over bytes the buffer already holds (the caller sized it).
inline void put16(Bytes& out, size_t offset, uint16_t value) {
  out[offset] = static_cast<unsigned char>(value);
  out[offset + 1] = static_cast<unsigned char>(value >> 8);
}
inline void put32(Bytes& out, size_t offset, uint32_t value) {
  put16(out, offset, static_cast<uint16_t>(value));
  put16(out, offset + 2, static_cast<uint16_t>(value >> 16));
}

inline void append16(Bytes& out, uint16_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}
inline void append32(Bytes& out, uint32_t value) {
  append16(out, static_cast<uint16_t>(value));
  append16(out, static_cast<uint16_t>(value >> 16));
}

// Appends zero bytes until the size is a multiple of `alignment`.
inline void padTo(Bytes& out, size_t alignment) {
  out.resize(static_cast<size_t>(alignUp(out.size(), alignment)), 0);
}

}  // namespace kite

#endif  // KITE_BRAND_BYTE_IO_H_
