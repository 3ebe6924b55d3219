// The installer helper's step: the driver package beside it into the driver store and out again, with the store's
// refusals reported as failures the installer sees.
#include "setup/driver_store_step.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fakes/fake_driver_store.h"
#include "platform/fakes/fake_services.h"

namespace {

const std::string kFolder = "C:\\Program Files\\Quorvel";
const std::string kInf = kFolder + "\\QRX\\QRX.inf";
const std::vector<uint8_t> kOurs = {0xFF, 0xFE, '[', 0, 'V', 0};
const std::vector<uint8_t> kOther = {0xFF, 0xFE, '[', 0, 'X', 0};

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

  bool Stored(const std::string& name) { return files.files.contains("C:\\Windows\\INF\\" + name); }

  fakes::FakeFileSystem files;
  fakes::FakeDriverStore store{files};
  std::ostringstream out, err;
};

TEST_F(DriverStoreStep, AddPutsThePackageBesideTheHelperIntoTheStoreOnce) {
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_EQ(store.added, std::vector<std::string>{kInf});
  EXPECT_TRUE(Stored("oem0.inf"));
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem0.inf\n");

  // A repair or a second run names the same copy rather than adding another.
  EXPECT_EQ(Run({"add"}), setup::Done);
  EXPECT_FALSE(Stored("oem1.inf"));
  EXPECT_EQ(out.str(), kInf + " is in the driver store as oem0.inf\n");
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

TEST_F(DriverStoreStep, RemoveTakesOutEveryCopyOfOursAndNothingElse) {
  files.files["C:\\Windows\\INF\\oem3.inf"] = kOther;    // another vendor's package
  files.files["C:\\Windows\\INF\\OEM7.INF"] = kOurs;     // ours, however the name is written
  files.files["C:\\Windows\\INF\\oem12.inf"] = kOurs;    // a copy left by an earlier install
  files.files["C:\\Windows\\INF\\QRX.inf"] = kOurs;      // a store that kept the package's own name
  files.files["C:\\Windows\\INF\\printer.inf"] = kOther; // a system INF
  files.files["C:\\Windows\\INF\\QRX.pnf"] = kOurs;      // not an INF: the store's own business
  files.files["C:\\Windows\\INF\\QRX\\oem1.inf"] = kOurs;  // not in the INF folder itself

  EXPECT_EQ(Run({"remove"}), setup::Done) << err.str();
  EXPECT_EQ(store.removed, (std::vector<std::string>{"OEM7.INF", "QRX.inf", "oem12.inf"}));
  EXPECT_TRUE(Stored("oem3.inf"));
  EXPECT_TRUE(Stored("printer.inf"));
  EXPECT_TRUE(Stored("QRX.pnf"));
  EXPECT_FALSE(Stored("OEM7.INF"));
  EXPECT_FALSE(Stored("QRX.inf"));
  EXPECT_FALSE(Stored("oem12.inf"));
  EXPECT_EQ(out.str(),
            "removed OEM7.INF from the driver store\nremoved QRX.inf from the driver store\n"
            "removed oem12.inf from the driver store\n");
}

TEST_F(DriverStoreStep, RemoveAfterAddLeavesTheStoreAsItWas) {
  files.files["C:\\Windows\\INF\\oem0.inf"] = kOther;
  ASSERT_EQ(Run({"add"}), setup::Done);
  EXPECT_TRUE(Stored("oem1.inf"));
  EXPECT_EQ(Run({"remove"}), setup::Done);
  EXPECT_FALSE(Stored("oem1.inf"));
  EXPECT_TRUE(Stored("oem0.inf"));

  // Nothing left to remove (also after an install without the driver) is no failure.
  EXPECT_EQ(Run({"remove"}), setup::Done);
  EXPECT_EQ(out.str(), "the driver store holds no copy of " + kInf + "\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(DriverStoreStep, RemoveReportsACopyTheStoreKeepsAndStillRemovesTheOthers) {
  files.files["C:\\Windows\\INF\\oem2.inf"] = kOurs;
  files.files["C:\\Windows\\INF\\oem5.inf"] = kOurs;
  store.keepOnRemove = {"oem2.inf"};
  EXPECT_EQ(Run({"remove"}), setup::StoreRefused);
  EXPECT_TRUE(Stored("oem2.inf"));
  EXPECT_FALSE(Stored("oem5.inf"));
  EXPECT_EQ(err.str(), "the driver store kept oem2.inf: The driver is in use by a device. (error 3758096949)\n");
}

TEST_F(DriverStoreStep, RemoveCannotTellCopiesApartWithoutOurInf) {
  files.files["C:\\Windows\\INF\\oem2.inf"] = kOurs;
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
