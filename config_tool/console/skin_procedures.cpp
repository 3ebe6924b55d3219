#include "config_tool/console/skin_procedures.h"

namespace quorvel {
namespace {

struct StartVariant {
  int attachCalls;
  int fixedEntry;  // skin-list entry attached whatever it holds
  bool aeroOn;
};

StartVariant VariantOf(DressedWindow kind) {
  switch (kind) {
    case DressedWindow::Launcher:
      return {2, 38, false};
    case DressedWindow::Console:
      return {1, 19, true};
    case DressedWindow::MainWindow:
      break;
  }
  return {1, 38, false};
}

}  // namespace

void SkinProcedures::Start(DressedWindow kind) {
  const StartVariant variant = VariantOf(kind);
  for (int i = 0; i < variant.attachCalls; ++i) services_.engine.Attach();
  skinFolder_ = services_.files.ProgramFolder() + "\\skin\\";
  skinlist();
  if (kind == DressedWindow::Console) window_.Repaint();

  if (services_.files.FileExists(skinFolder_ + std::string(kDefaultSkinFile))) AttachFile(kDefaultSkinFile);
  if (variant.aeroOn) services_.engine.SetAero(1);

  // A shorter list hands the bare folder to the engine, which fails quietly.
  AttachFile(variant.fixedEntry < list1_.Count() ? list1_.Item(variant.fixedEntry) : std::string());

  list1_.Select(platform::kNoSelection);
  for (int i = 0; i < list1_.Count(); ++i) {
    if (list1_.Item(i) == kStartSkinFile) {
      list1_.Select(i);
      break;
    }
  }
  ApplySelected();
  if (!variant.aeroOn) services_.engine.SetAero(0);
}

void SkinProcedures::skinlist() {
  for (const std::string& path : services_.files.ListFiles(skinFolder_)) {
    size_t slash = path.find_last_of('\\');
    list1_.Add(slash == std::string::npos ? path : path.substr(slash + 1));
  }
}

std::string SkinProcedures::GetFile() {
  platform::OpenFileRequest request;
  request.title = "选择皮肤...";
  request.initialFolder = services_.files.ProgramFolder() + "\\skin";
  request.filter = "SkinSharp Skin File (*.she)|*.she";
  request.filterIndex = 1;
  request.fileName = "";
  request.hideReadOnly = true;
  return services_.dialogs.ChooseFileToOpen(request).value_or("");
}

void SkinProcedures::ApplySelected() {
  if (list1_.Count() == 0) return;
  int selected = list1_.Selected();
  if (selected == platform::kNoSelection) return;
  std::string name = list1_.Item(selected);
  if (!name.empty() && !AttachFile(name)) ReportNotLoaded(skinFolder_ + name);
}

void SkinProcedures::ChooseAndApply() {
  std::string file = GetFile();
  if (!file.empty() && !services_.engine.AttachEx(file, "")) ReportNotLoaded(file);
}

void SkinProcedures::ReportNotLoaded(std::string_view file) {
  services_.dialogs.ShowMessage("无法加载皮肤（路径含有系统代码页不支持的字符）: " + std::string(file), "提示");
}

}  // namespace quorvel
