#include "platform/resources/build_variant.h"

#ifndef CARDWRIGHT_VGA_BUILD
#error "CARDWRIGHT_VGA_BUILD must be defined to 0 or 1 by the variant library"
#endif

namespace cw {

namespace {
constexpr bool kVgaBuild = CARDWRIGHT_VGA_BUILD != 0;
}  // namespace

bool IsVgaBuild() { return kVgaBuild; }

}  // namespace cw
