// Little- and big-endian integers in file bytes: the one place byte order is spelled out.
#pragma once

#include <cstdint>

namespace xbase {

inline std::uint16_t GetLE16(const void* p) {
    const auto* b = static_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
inline std::uint32_t GetLE32(const void* p) {
    const auto* b = static_cast<const unsigned char*>(p);
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
           (std::uint32_t{b[3]} << 24);
}
inline std::uint16_t GetBE16(const void* p) {
    const auto* b = static_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}
inline std::uint32_t GetBE32(const void* p) {
    const auto* b = static_cast<const unsigned char*>(p);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           std::uint32_t{b[3]};
}
inline void PutLE16(void* p, std::uint16_t v) {
    auto* b = static_cast<unsigned char*>(p);
    b[0] = static_cast<unsigned char>(v);
    b[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutLE32(void* p, std::uint32_t v) {
    auto* b = static_cast<unsigned char*>(p);
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}
inline void PutBE16(void* p, std::uint16_t v) {
    auto* b = static_cast<unsigned char*>(p);
    b[0] = static_cast<unsigned char>(v >> 8);
    b[1] = static_cast<unsigned char>(v);
}
inline void PutBE32(void* p, std::uint32_t v) {
    auto* b = static_cast<unsigned char*>(p);
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<unsigned char>(v >> (8 * (3 - i)));
    }
}

}  // namespace xbase
