// Qt key codes to the virtual key codes of the window library.
#pragma once

namespace cw {

// 0 for keys without a virtual key code.
unsigned VirtualKeyFromQtKey(int qtKey);

}  // namespace cw
