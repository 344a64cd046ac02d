#pragma once
// Little-endian writing and bounds-checked reading of the binary forms sent to the window
// server (display lists, protocol messages). A reader never believes a count that the bytes
// left could not hold.
#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

class ByteWriter {
 public:
  void U8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void U32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
      U8(static_cast<uint8_t>(v >> shift));
    }
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void I64(int64_t v) {
    U32(static_cast<uint32_t>(static_cast<uint64_t>(v)));
    U32(static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
  }
  void Bool(bool v) { U8(v ? 1 : 0); }
  void Raw(std::string_view v) { bytes_.append(v); }
  // A length-prefixed byte string.
  void Bytes(std::string_view v) {
    U32(static_cast<uint32_t>(v.size()));
    Raw(v);
  }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  bool U8(uint8_t& v) {
    if (pos_ >= bytes_.size()) {
      return false;
    }
    v = static_cast<uint8_t>(bytes_[pos_++]);
    return true;
  }
  bool U32(uint32_t& v) {
    if (bytes_.size() - pos_ < 4) {
      return false;
    }
    v = 0;
    for (int i = 0; i < 4; ++i) {
      v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes_[pos_++])) << (8 * i);
    }
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) {
      return false;
    }
    v = static_cast<int32_t>(u);
    return true;
  }
  bool I64(int64_t& v) {
    uint32_t low = 0, high = 0;
    if (!U32(low) || !U32(high)) {
      return false;
    }
    v = static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
    return true;
  }
  bool Bool(bool& v) {
    uint8_t b = 0;
    if (!U8(b) || b > 1) {
      return false;
    }
    v = b == 1;
    return true;
  }
  bool Bytes(std::string& v) {
    uint32_t size = 0;
    if (!U32(size) || !Holds(size, 1)) {
      return false;
    }
    v.assign(bytes_.substr(pos_, size));
    pos_ += size;
    return true;
  }
  bool Magic(std::string_view magic) {
    if (bytes_.substr(pos_, magic.size()) != magic) {
      return false;
    }
    pos_ += magic.size();
    return true;
  }
  // Whether `count` items of at least `itemSize` bytes each could still follow.
  bool Holds(uint64_t count, uint64_t itemSize) const {
    return count <= (bytes_.size() - pos_) / itemSize;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace ui
