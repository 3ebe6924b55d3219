#include "config_tool/console/handheld_window.h"

namespace quorvel {

void HandheldWindow::Load() {
  controls_.window.SetCaption(kHandheldCaption);
  controls_.captions.SetCaption("FrameDebug", "调试信息");
  controls_.captions.SetCaption("FramePairCode", "配对密码");
  controls_.captions.SetCaption("FrameBlueToothName", "蓝牙名称");
  controls_.captions.SetCaption("FrameBandrate", "波特率");
  controls_.captions.SetCaption("CommandFactoryReset", "回复出厂设置");
}

}  // namespace quorvel
