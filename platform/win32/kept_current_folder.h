#pragma once
// The process's current folder, put back when the scope ends.
#include <string>

namespace win32 {

// The open-file dialog makes the folder the user browsed to current, whatever OFN_NOCHANGEDIR says (the flag works
// for the save dialog only), and the skin engine is reached through a folder made current for one call. Relative
// paths, and the programs and DLLs looked up in the current folder, must not follow either.
class KeptCurrentFolder {
 public:
  KeptCurrentFolder();
  ~KeptCurrentFolder();
  KeptCurrentFolder(const KeptCurrentFolder&) = delete;
  KeptCurrentFolder& operator=(const KeptCurrentFolder&) = delete;

  // False when the current folder could not be read: nothing will be put back.
  bool Kept() const { return !folder_.empty(); }

 private:
  std::wstring folder_;
};

}  // namespace win32
