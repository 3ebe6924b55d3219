#pragma once
// The helper's record of the driver store's copies of its package that this install put there, kept in a small
// text file beside the helper, so that removal takes out those and leaves a copy that someone else added.
#include <cstdint>
#include <string>
#include <vector>

namespace setup {

enum class CopyState {
  Added,    // put there by the latest add: that add's rollback takes it out again
  Kept,     // put there by an earlier add (or put back by a rollback), and still there
  Removed,  // taken out by remove: the removal's rollback puts the package back
};

struct StoredCopy {
  std::string name;  // the store's name of its copy of the INF, e.g. "oem7.inf"
  CopyState state = CopyState::Added;

  bool operator==(const StoredCopy&) const = default;
};

// File name of the record beside the helper; the installer package deletes it with the helper on removal.
inline constexpr const char* kStoredCopiesFile = "QRXStore.txt";

// Lines that are not "<state> <name>" with a plain INF name are skipped: nothing in the record can make the
// helper touch a file outside the store's INF folder.
std::vector<StoredCopy> ParseStoredCopies(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> FormatStoredCopies(const std::vector<StoredCopy>& copies);

// A name the store could have given a copy: an INF file name with no folder in it.
bool IsStoredInfName(const std::string& name);

}  // namespace setup
