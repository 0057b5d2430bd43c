// The display variant this program was built for. One source tree gives two
// programs: cardwright (QVGA: the small bitmap set, pixel constants as
// written) and cardwright-vga (VGA: bitmaps at twice the size, pixel
// constants scaled). Each program links exactly one of the libraries
// cw_variant_qvga and cw_variant_vga, which define this function and carry
// the bitmap set of their variant.
#pragma once

namespace cw {

bool IsVgaBuild();

}  // namespace cw
