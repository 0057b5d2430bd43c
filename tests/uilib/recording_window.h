// A window that records which handlers ran, and can be told to claim some.
#pragma once

#include <QString>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "uilib/ce_wnd.h"

namespace cw::testing {

class RecordingWindow : public CeWnd {
 public:
  std::vector<std::string> log;
  std::set<std::string> claimed;  // handlers that set `handled`
  int createResult = 0;
  LRESULT notifyResult = 0;
  std::function<void(unsigned msg, WPARAM, LPARAM)> onMessage;

  bool Has(const std::string& entry) const {
    for (const auto& e : log) {
      if (e == entry) return true;
    }
    return false;
  }
  void Clear() { log.clear(); }
  // The entries that start with one of `prefixes`, in order.
  std::vector<std::string> Only(std::initializer_list<std::string> prefixes) const {
    std::vector<std::string> result;
    for (const auto& e : log) {
      for (const auto& p : prefixes) {
        if (e.rfind(p, 0) == 0) {
          result.push_back(e);
          break;
        }
      }
    }
    return result;
  }

  void OnChar(char16_t ch, bool& h) override { Record("char " + std::to_string(int(ch)), "char", h); }
  void OnClose(bool& h) override { Record("close", "close", h); }
  int OnCreate(bool& h) override {
    Record("create", "create", h);
    return createResult;
  }
  void OnCommand(unsigned id, unsigned code, bool& h) override {
    Record("command " + std::to_string(id) + " " + std::to_string(code), "command", h);
  }
  LRESULT OnNotify(const Notification& n, bool& h) override {
    Record("notify " + std::to_string(n.controlId) + " " + std::to_string(n.code) + " " +
               std::to_string(n.item) + (n.key != 0 ? " key " + std::to_string(n.key) : ""),
           "notify", h);
    return notifyResult;
  }
  void OnDestroy(bool& h) override { Record("destroy", "destroy", h); }
  void OnEraseBkgnd(QPainter&, const QRect&, bool& h) override { Record("erase", "erase", h); }
  void OnKeyDown(unsigned vk, bool& h) override { Record("keydown " + std::to_string(vk), "keydown", h); }
  void OnKeyUp(unsigned vk, bool& h) override { Record("keyup " + std::to_string(vk), "keyup", h); }
  void OnLButtonDblClk(int x, int y, bool& h) override { Record(Point("dblclk", x, y), "dblclk", h); }
  void OnLButtonDown(int x, int y, bool& h) override { Record(Point("down", x, y), "down", h); }
  void OnLButtonUp(int x, int y, bool& h) override { Record(Point("up", x, y), "up", h); }
  void OnMouseMove(int x, int y, bool& h) override { Record(Point("move", x, y), "move", h); }
  void OnPaint(QPainter&, const QRect&, bool& h) override { Record("paint", "paint", h); }
  void OnSize(int w, int hgt, bool& h) override { Record(Point("size", w, hgt), "size", h); }
  void OnTimer(unsigned id, bool& h) override { Record("timer " + std::to_string(id), "timer", h); }
  void OnOrientationChange(Orientation o, bool& h) override {
    Record(o == Orientation::Landscape ? "landscape" : "portrait", "orientation", h);
  }
  LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& h) override {
    Record("message " + std::to_string(msg) + " " + std::to_string(wParam), "message", h);
    if (onMessage) onMessage(msg, wParam, lParam);
    return static_cast<LRESULT>(wParam) * 2;
  }
  void OnFirstMessage(bool& h) override { Record("first", "first", h); }
  void OnFinalMessage(bool& h) override { Record("final", "final", h); }

 private:
  static std::string Point(const char* what, int x, int y) {
    return std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
  }
  void Record(const std::string& entry, const std::string& slot, bool& handled) {
    log.push_back(entry);
    if (claimed.count(slot) != 0) handled = true;
  }
};

}  // namespace cw::testing
