#pragma once
// Message boxes and the system's open-file dialog. Texts are UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct OpenFileRequest {
  std::string title;
  std::string filter;         // "Description|pattern|Description|pattern"
  int filterIndex = 1;
  std::string initialFolder;  // empty: the system's choice
  std::string fileName;
  bool hideReadOnly = false;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box with only an OK button; returns when the user has closed it.
  virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
  // The full path the user picked, or nothing when the dialog was cancelled.
  virtual std::optional<std::string> ChooseFileToOpen(const OpenFileRequest& request) = 0;
};

}  // namespace platform
