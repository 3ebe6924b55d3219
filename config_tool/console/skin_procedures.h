#pragma once
// The skin procedures every dressed window uses: its skin folder and skin list, the chooser, the start sequence.
#include <string>
#include <string_view>

#include "platform/interfaces/controls.h"
#include "platform/interfaces/dialogs.h"
#include "platform/interfaces/file_system.h"
#include "platform/interfaces/skin_engine.h"

namespace quorvel {

inline constexpr std::string_view kDefaultSkinFile = "skinh.she";
inline constexpr std::string_view kStartSkinFile = "china.she";

// How the start sequence differs between the windows that wear skins.
enum class DressedWindow { Launcher, Console, MainWindow };

struct SkinServices {
  platform::SkinEngine& engine;
  platform::FileSystem& files;
  platform::Dialogs& dialogs;
};

class SkinProcedures {
 public:
  // `list1` is the window's skin list; `window` is repainted by the console's start sequence.
  SkinProcedures(platform::ListBox& list1, platform::Window& window, const SkinServices& services)
      : list1_(list1), window_(window), services_(services) {}

  // Runs when the window loads.
  void Start(DressedWindow kind);

  // Appends the bare names of the files in the skin folder; the list is not cleared first.
  void skinlist();
  // The full path picked in the skin-file chooser, or "" when none.
  std::string GetFile();

  // Skin-list click (launcher) or double click (console, main window): applies the selected entry.
  void ApplySelected();
  // "选择皮肤"
  void ChooseAndApply();
  // "透明边框" and "取消透明"
  void SetTransparentBorder(bool on) { services_.engine.SetAero(on ? 1 : 0); }

  const std::string& SkinFolder() const { return skinFolder_; }

 private:
  bool AttachFile(std::string_view fileName) {
    return services_.engine.AttachEx(skinFolder_ + std::string(fileName), "");
  }
  // A skin the user picked that the engine cannot be given is not left to fail unseen.
  void ReportNotLoaded(std::string_view file);

  platform::ListBox& list1_;
  platform::Window& window_;
  SkinServices services_;
  std::string skinFolder_;
};

}  // namespace quorvel
