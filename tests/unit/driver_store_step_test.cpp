// The installer helper's step: the driver package beside it into the driver store and, of what is there, only the
// copy this install put there out again, with the store's refusals reported as failures the installer sees.
#include "setup/driver_store_step.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "platform/fakes/fake_driver_store.h"
#include "platform/fakes/fake_services.h"
#include "setup/stored_copies.h"

namespace {

const std::string kFolder = "C:\\Program Files\\Quorvel";
const std::string kInf = kFolder + "\\QRX\\QRX.inf";
const std::vector<uint8_t> kOurs = {0xFF, 0xFE, '[', 0, 'V', 0};
const std::vector<uint8_t> kOther = {0xFF, 0xFE, '[', 0, 'X', 0};
const std::string kStore = "C:\\Windows\\INF\\";
const std::string kRecord = kFolder + "\\QRXStore.txt";

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class DriverStoreStep : public ::testing::Test {
 protected:
  DriverStoreStep() {
    files.programFolder = kFolder;
    files.files[kInf] = kOurs;
  }

  int Run(std::vector<std::string> arguments) {
    out.str("");
    err.str("");
    return setup::RunDriverStoreStep(arguments, files, store, out, err);
  }

  bool Stored(const std::string& name) { return files.files.contains(kStore + name); }

  // The names of the files in the store's INF folder.
  std::set<std::string> StoreFolder() {
    std::set<std::string> names;
    for (const auto& [path, bytes] : files.files) {
      if (path.starts_with(kStore)) names.insert(path.substr(kStore.size()));
    }
    return names;
  }

  fakes::FakeFileSystem files;
  fakes::FakeDriverStore store{files};
  std::ostringstream out, err;
};

TEST_F(DriverStoreStep, AddPutsThePackageBesideTheHelperIntoTheStoreOnce) {
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_EQ(store.added, std::vector<std::string>{kInf});
  EXPECT_TRUE(Stored("oem0.inf"));
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem0.inf, put there now by this install\n");

  // A repair or a second run names the same copy rather than adding another.
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_FALSE(Stored("oem1.inf"));
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem0.inf, put there earlier by this install\n");
}

TEST_F(DriverStoreStep, AddFailsWhenTheStoreRefusesOrThePackageIsMissing) {
  store.refuseAdd = true;
  EXPECT_EQ(Run({"add"}), setup::StoreRefused);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("did not take " + kInf + ": The third-party INF"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("(error 3758096967)"), std::string::npos) << err.str();

  store.refuseAdd = false;
  store.added.clear();
  files.files.erase(kInf);
  EXPECT_EQ(Run({"add"}), setup::PackageMissing);
  EXPECT_TRUE(store.added.empty());
  EXPECT_EQ(err.str(), "the driver package is missing: " + kInf + " does not exist\n");
}

// What the administrator did with the driver store apart from this install, and what removal then does.
struct AdminCase {
  std::string name;
  std::vector<std::string> byHandBefore;  // identical copies in the store before this install's add
  std::vector<std::string> byHandAfter;   // ... put there after it
  std::vector<std::string> removed;       // what removal takes out
  std::set<std::string> left;             // the store's INF folder afterwards
};

TEST_F(DriverStoreStep, RemovalTakesOutOnlyTheCopyThisInstallPutThere) {
  const std::vector<AdminCase> cases = {
      // The store names the copy it already holds: this install added nothing, and removal leaves it.
      {"by hand before, named again by the store", {"oem3.inf"}, {}, {}, {"oem3.inf", "printer.inf"}},
      // Copies the store keeps apart although their bytes are the same (Wine's store keeps an INF's own name
      // while it is free, so the same package from an INF of another name is another copy).
      {"by hand before, apart from this install's", {"QRX.inf"}, {}, {"oem0.inf"}, {"QRX.inf", "printer.inf"}},
      {"by hand after, apart from this install's", {}, {"oem4.inf"}, {"oem0.inf"}, {"oem4.inf", "printer.inf"}},
      {"nothing else in the store", {}, {}, {"oem0.inf"}, {"printer.inf"}},
  };
  for (const AdminCase& c : cases) {
    SCOPED_TRACE(c.name);
    files.files.clear();
    files.files[kInf] = kOurs;
    files.files[kStore + "printer.inf"] = kOther;  // a system INF, not ours whatever happens
    store.removed.clear();
    for (const std::string& name : c.byHandBefore) files.files[kStore + name] = kOurs;
    ASSERT_EQ(Run({"add"}), setup::Done) << err.str();
    for (const std::string& name : c.byHandAfter) files.files[kStore + name] = kOurs;

    EXPECT_EQ(Run({"remove"}), setup::Done) << err.str();
    EXPECT_EQ(store.removed, c.removed);
    EXPECT_EQ(StoreFolder(), c.left);
  }
}

// Each rollback entry undoes its own step and nothing before it: the add's takes out only the copy that add put
// there, the removal's puts back only what the removal took out. Afterwards the store is as it was before the
// step, and a later removal still knows which copy is this install's.
struct RollbackCase {
  std::string name;
  std::vector<std::string> byHandBefore;
  std::vector<std::vector<std::string>> steps;
  std::vector<std::string> undone;         // what the last step took out
  std::set<std::string> afterUndo;         // the store's INF folder then
  std::vector<std::string> removedAtLast;  // what a removal then takes out
};

TEST_F(DriverStoreStep, RollbackEntriesUndoOnlyTheirOwnStep) {
  const std::vector<RollbackCase> cases = {
      {"a first install's add", {}, {{"add"}, {"undo-add"}}, {"oem0.inf"}, {}, {}},
      {"a repair's add", {}, {{"add"}, {"add"}, {"undo-add"}}, {}, {"oem0.inf"}, {"oem0.inf"}},
      {"an add that found a copy put there by hand", {"oem3.inf"}, {{"add"}, {"undo-add"}}, {}, {"oem3.inf"}, {}},
      {"a removal", {"QRX.inf"}, {{"add"}, {"remove"}, {"undo-remove"}}, {}, {"QRX.inf", "oem0.inf"},
       {"oem0.inf"}},
      {"a removal that took nothing", {"QRX.inf"}, {{"remove"}, {"undo-remove"}}, {}, {"QRX.inf"}, {}},
      {"a removal after a repair", {}, {{"add"}, {"add"}, {"remove"}, {"undo-remove"}}, {}, {"oem0.inf"},
       {"oem0.inf"}},
  };
  for (const RollbackCase& c : cases) {
    SCOPED_TRACE(c.name);
    files.files.clear();
    files.files[kInf] = kOurs;
    for (const std::string& name : c.byHandBefore) files.files[kStore + name] = kOurs;
    for (const auto& step : c.steps) {
      store.removed.clear();
      ASSERT_EQ(Run(step), setup::Done) << step[0] << ": " << err.str();
    }
    EXPECT_EQ(store.removed, c.undone);
    EXPECT_EQ(StoreFolder(), c.afterUndo);
    store.removed.clear();
    EXPECT_EQ(Run({"remove"}), setup::Done) << err.str();
    EXPECT_EQ(store.removed, c.removedAtLast);
  }
}

TEST_F(DriverStoreStep, AddTellsWhetherTheCopyIsThisInstalls) {
  files.files[kStore + "oem3.inf"] = kOurs;
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem3.inf, which was there before this install: "
                              "removing it leaves that copy\n");
  EXPECT_FALSE(files.files.contains(kRecord));  // nothing of this install's to remember
  files.files.erase(kStore + "oem3.inf");
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem0.inf, put there now by this install\n");
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem0.inf, put there earlier by this install\n");
}

TEST_F(DriverStoreStep, AnAddThatCannotBeRememberedIsTakenBack) {
  files.unwritable[kRecord] = "Access is denied.";
  EXPECT_EQ(Run({"add"}), setup::RecordFailed);
  EXPECT_EQ(store.removed, std::vector<std::string>{"oem0.inf"});
  EXPECT_EQ(StoreFolder(), std::set<std::string>{});
  EXPECT_NE(err.str().find("cannot write " + kRecord + ": Access is denied."), std::string::npos) << err.str();
}

TEST_F(DriverStoreStep, AnUnreadableRecordTouchesNothing) {
  files.files[kStore + "oem2.inf"] = kOurs;
  files.files[kRecord] = Bytes("kept oem2.inf\r\n");
  files.unreadable[kRecord] = "Access is denied.";
  for (const char* command : {"add", "remove", "undo-add", "undo-remove"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Run({command}), setup::RecordFailed);
    EXPECT_NE(err.str().find("cannot read " + kRecord), std::string::npos) << err.str();
  }
  EXPECT_TRUE(store.added.empty());
  EXPECT_TRUE(store.removed.empty());
}

TEST_F(DriverStoreStep, TheRecordNamesNothingButOurCopiesInTheStore) {
  files.files[kStore + "oem3.inf"] = kOther;  // once ours; the store has since given the name to another package
  files.files[kStore + "oem5.inf"] = kOurs;   // ours by bytes, but the record does not name it
  files.files["C:\\Windows\\system32\\drivers\\x.inf"] = kOurs;
  files.files[kRecord] = Bytes(
      "kept oem3.inf\r\nadded ..\\system32\\drivers\\x.inf\r\nadded C:\\Windows\\INF\\oem5.inf\r\n"
      "kept\r\noem5.inf\r\nowned oem5.inf\r\n");
  EXPECT_EQ(Run({"remove"}), setup::Done) << err.str();
  EXPECT_TRUE(store.removed.empty());
  EXPECT_EQ(out.str(), "oem3.inf is no longer a copy of " + kInf + " in the driver store: left alone\n");
  EXPECT_FALSE(files.files.contains(kRecord));
}

TEST_F(DriverStoreStep, RemoveReportsACopyTheStoreKeepsAndStillRemovesTheOthers) {
  files.files[kStore + "oem2.inf"] = kOurs;
  files.files[kStore + "oem5.inf"] = kOurs;
  files.files[kRecord] = Bytes("added oem2.inf\r\nkept oem5.inf\r\n");
  store.keepOnRemove = {"oem2.inf"};
  EXPECT_EQ(Run({"remove"}), setup::StoreRefused);
  EXPECT_TRUE(Stored("oem2.inf"));
  EXPECT_FALSE(Stored("oem5.inf"));
  EXPECT_EQ(err.str(), "the driver store kept oem2.inf: The driver is in use by a device. (error 3758096949)\n");
  // The kept copy is still this install's; the one that went is there for the removal's rollback to put back.
  EXPECT_EQ(setup::ParseStoredCopies(files.files[kRecord]),
            (std::vector<setup::StoredCopy>{{"oem2.inf", setup::CopyState::Added},
                                            {"oem5.inf", setup::CopyState::Removed}}));
}

TEST_F(DriverStoreStep, RemoveCannotTellCopiesApartWithoutOurInf) {
  files.files[kStore + "oem2.inf"] = kOurs;
  files.files[kRecord] = Bytes("kept oem2.inf\r\n");
  files.unreadable[kInf] = "Access is denied.";
  EXPECT_EQ(Run({"remove"}), setup::PackageMissing);
  EXPECT_TRUE(store.removed.empty());
  EXPECT_NE(err.str().find("cannot read " + kInf), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("Access is denied."), std::string::npos) << err.str();
}

TEST_F(DriverStoreStep, AnythingButOneKnownCommandIsAUsageErrorThatTouchesNothing) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"install"}, {"add", "remove"}, {"ADD"}}) {
    EXPECT_EQ(Run(arguments), setup::Usage);
    EXPECT_EQ(err.str(), setup::kUsage);
  }
  EXPECT_TRUE(store.added.empty());
  EXPECT_TRUE(store.removed.empty());
}

}  // namespace
