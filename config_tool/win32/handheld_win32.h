#pragma once
#include <memory>

#include "config_tool/console/handheld_window.h"
#include "platform/win32/base_window.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_controls.h"

namespace quorvel_win32 {

// The handheld printer settings window (Form5): controls only.
class HandheldWin32 : public win32::BaseWindow<HandheldWin32> {
 public:
  HandheldWin32();
  ~HandheldWin32() override;
  bool Create();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Controls;
  win32::UniqueGdiObject font_;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<quorvel::HandheldWindow> logic_;
};

}  // namespace quorvel_win32
