// Message numbers, parameter packing, virtual key codes, command and
// notification codes of the window library. The numbers are those of the
// handheld's window system, so code written against it reads the same here.
#pragma once

#include <cstdint>

namespace cw {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Window messages.
inline constexpr unsigned WM_CREATE = 0x0001;
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_MOVE = 0x0003;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_ACTIVATE = 0x0006;  // wParam: WA_ACTIVE or WA_INACTIVE
inline constexpr unsigned WM_ENABLE = 0x000A;    // wParam: enabled
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_ERASEBKGND = 0x0014;
inline constexpr unsigned WM_SHOWWINDOW = 0x0018;    // wParam: shown
inline constexpr unsigned WM_SETTINGCHANGE = 0x001A;
inline constexpr unsigned WM_NOTIFY = 0x004E;        // lParam: const Notification*
inline constexpr unsigned WM_KEYDOWN = 0x0100;       // wParam: virtual key
inline constexpr unsigned WM_KEYUP = 0x0101;         // wParam: virtual key
inline constexpr unsigned WM_CHAR = 0x0102;          // wParam: UTF-16 code unit
inline constexpr unsigned WM_INITDIALOG = 0x0110;
inline constexpr unsigned WM_COMMAND = 0x0111;       // wParam: MAKEWPARAM(id, code)
inline constexpr unsigned WM_TIMER = 0x0113;         // wParam: timer id
inline constexpr unsigned WM_MOUSEMOVE = 0x0200;     // lParam: MAKELPARAM(x, y)
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
inline constexpr unsigned WM_ENTERMENULOOP = 0x0211;
inline constexpr unsigned WM_EXITMENULOOP = 0x0212;
inline constexpr unsigned WM_USER = 0x0400;

// Messages of this library (below the application's private range).
inline constexpr unsigned WM_ORIENTATIONCHANGE = 0x03E0;  // wParam: Orientation
// Sent to the top-level window that owns a dialog when the dialog opens or
// closes; wParam is the number of dialogs open afterwards, so nested dialogs
// can be told apart from the last one closing.
inline constexpr unsigned WM_DIALOGOPENED = 0x03E1;
inline constexpr unsigned WM_DIALOGCLOSED = 0x03E2;

// The program's private messages, sent to the main window.
inline constexpr unsigned WM_CHECKSTATE = 0x1405;
inline constexpr unsigned WM_SELECTSOLITAIRE = 0x1406;

inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;

enum class Orientation : unsigned { Portrait = 0, Landscape = 1 };

constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
                             (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}
constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
  return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr unsigned LOWORD(std::uintptr_t v) { return static_cast<unsigned>(v & 0xFFFFu); }
constexpr unsigned HIWORD(std::uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFFu); }
// Signed coordinates from a packed point: a captured pointer may leave the window.
constexpr int GET_X_LPARAM(LPARAM v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uintptr_t>(v) & 0xFFFFu));
}
constexpr int GET_Y_LPARAM(LPARAM v) {
  return static_cast<std::int16_t>(
      static_cast<std::uint16_t>((static_cast<std::uintptr_t>(v) >> 16) & 0xFFFFu));
}

// Virtual key codes.
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_SHIFT = 0x10;
inline constexpr unsigned VK_CONTROL = 0x11;
inline constexpr unsigned VK_MENU = 0x12;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21;
inline constexpr unsigned VK_NEXT = 0x22;
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_INSERT = 0x2D;
inline constexpr unsigned VK_DELETE = 0x2E;
inline constexpr unsigned VK_F1 = 0x70;  // VK_F1 + n - 1 for Fn up to F24
// Letters and digits are their upper-case ASCII codes ('A', '0').

// Command ids of the standard dialog answers.
inline constexpr unsigned IDOK = 1;
inline constexpr unsigned IDCANCEL = 2;
inline constexpr unsigned IDYES = 6;
inline constexpr unsigned IDNO = 7;

// Notification codes carried in the high word of a WM_COMMAND wParam.
inline constexpr unsigned kCommandFromMenu = 0;
inline constexpr unsigned kCommandFromAccelerator = 1;
inline constexpr unsigned BN_CLICKED = 0;
inline constexpr unsigned CBN_SELCHANGE = 1;
inline constexpr unsigned EN_CHANGE = 0x0300;

// WM_NOTIFY codes.
inline constexpr int NM_CLICK = -2;
inline constexpr int NM_DBLCLK = -3;
inline constexpr int NM_RETURN = -4;
inline constexpr int NM_SETFOCUS = -7;
inline constexpr int NM_KILLFOCUS = -8;
inline constexpr int LVN_ITEMCHANGED = -101;  // item: the newly current row, -1 for none
inline constexpr int LVN_KEYDOWN = -155;      // key: the virtual key
inline constexpr int PSN_SETACTIVE = -200;
inline constexpr int PSN_APPLY = -202;
inline constexpr int PSN_RESET = -203;

}  // namespace cw
