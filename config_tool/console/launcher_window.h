#pragma once
// The launcher (Form4): the program's first window. It asks for the language and the printer family.
#include "config_tool/console/skin_procedures.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"

namespace quorvel {

inline constexpr std::string_view kLauncherCaption = "版本(Version)";
// Enter anywhere but on a button or the list goes into the configuration tool; the skin list has no label.
inline constexpr const char* kLauncherDefaultButton = "Command1";
inline constexpr const char* kLauncherSkinListName = "皮肤（Skin）";

struct LauncherControls {
  platform::Window& window;
  platform::Captions& captions;   // Frame1, Command1, Command2
  platform::OptionButton& option1;  // 中文
  platform::OptionButton& option2;  // English
  platform::ListBox& list1;         // skin list
};

// The windows the launcher opens, not modally.
class LauncherHost {
 public:
  virtual ~LauncherHost() = default;
  virtual void OpenMainWindow() = 0;
  virtual void OpenHandheldWindow() = 0;
};

class LauncherWindow {
 public:
  LauncherWindow(const LauncherControls& controls, const SkinServices& skins, ProcessState& process,
                 LauncherHost& host)
      : controls_(controls), skins_(controls.list1, controls.window, skins), process_(process), host_(host) {}

  void Load();
  void OnCommand1Click();  // "进入面单打印机（Computer printer）"
  void OnCommand2Click();  // "进入手持设备（Pocket printer）"
  void OnList1Click() { skins_.ApplySelected(); }

 private:
  void Leave();

  LauncherControls controls_;
  SkinProcedures skins_;
  ProcessState& process_;
  LauncherHost& host_;
};

}  // namespace quorvel
