// Colours as the registry and the preferences store them (COLORREF,
// 0x00BBGGRR) and as surfaces draw them (QRgb, 0xAARRGGBB).
#pragma once

#include <QRgb>
#include <cstdint>

namespace cw {

constexpr QRgb FromColorRef(std::uint32_t colorRef) {
  return qRgb(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
              static_cast<int>((colorRef >> 16) & 0xFF));
}

constexpr std::uint32_t ToColorRef(QRgb colour) {
  return static_cast<std::uint32_t>(qRed(colour)) |
         (static_cast<std::uint32_t>(qGreen(colour)) << 8) |
         (static_cast<std::uint32_t>(qBlue(colour)) << 16);
}

}  // namespace cw
