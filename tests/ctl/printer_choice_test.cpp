// Which printer a command works on: -p by list number, serial, location or device path; --serial; --location;
// and the texts that would name two different printers.
#include <gtest/gtest.h>

#include "cli/printer_selection.h"

namespace {

ctl::AttachedPrinter Printer(const std::string& device, const std::string& serial, const std::string& location) {
  ctl::AttachedPrinter printer;
  printer.device = device;
  printer.vid = "1A86";
  printer.pid = "1000";
  printer.serial = serial;
  printer.location = location;
  return printer;
}

ctl::Selected ByText(const std::vector<ctl::AttachedPrinter>& attached, const std::string& text) {
  ctl::Selection selection;
  selection.printer = text;
  return ctl::SelectPrinters(attached, selection);
}

const std::vector<ctl::AttachedPrinter> kTwo = {Printer("/dev/bus/usb/001/002", "SIM0001", "1-1"),
                                                Printer("/dev/bus/usb/001/003", "SIM0002", "1-2")};

TEST(PrinterChoice, EachWayOfNamingFindsItsPrinter) {
  for (const std::string text : {"2", "SIM0002", "1-2", "/dev/bus/usb/001/003"}) {
    const ctl::Selected selected = ByText(kTwo, text);
    ASSERT_EQ(selected.code, ctl::kDone) << text << ": " << selected.error;
    EXPECT_EQ(selected.printers.at(0).device, "/dev/bus/usb/001/003") << text;
  }
  ctl::Selection bySerial;
  bySerial.serial = "SIM0001";
  EXPECT_EQ(ctl::SelectPrinters(kTwo, bySerial).printers.at(0).device, "/dev/bus/usb/001/002");
  ctl::Selection byLocation;
  byLocation.location = "1-2";
  EXPECT_EQ(ctl::SelectPrinters(kTwo, byLocation).printers.at(0).device, "/dev/bus/usb/001/003");
}

TEST(PrinterChoice, ATextNamingTwoPrintersIsRefusedWithTheWayToBeExplicit) {
  // "2" is the list number of the second printer and the serial of the first.
  const std::vector<ctl::AttachedPrinter> attached = {Printer("/dev/bus/usb/001/002", "2", "1-1"),
                                                      Printer("/dev/bus/usb/001/003", "SIM0002", "1-2")};
  const ctl::Selected selected = ByText(attached, "2");
  EXPECT_EQ(selected.code, ctl::kUsage);
  EXPECT_TRUE(selected.printers.empty());
  EXPECT_NE(selected.error.find("names 2 different printers"), std::string::npos) << selected.error;
  // Each way named finds exactly one of them: their real locations, not the text given.
  EXPECT_NE(selected.error.find("say which you mean: --location 1-2 or --location 1-1"), std::string::npos)
      << selected.error;
  // Without locations, the serials that tell them apart, or else the device path.
  const std::vector<ctl::AttachedPrinter> unplaced = {Printer("/dev/bus/usb/001/002", "2", ""),
                                                      Printer("/dev/bus/usb/001/003", "", "")};
  EXPECT_NE(ByText(unplaced, "2").error.find("--device /dev/bus/usb/001/003 or --serial 2"), std::string::npos)
      << ByText(unplaced, "2").error;
  // Named two ways, but the same printer: no doubt.
  const std::vector<ctl::AttachedPrinter> same = {Printer("/dev/bus/usb/001/002", "1", "1-1")};
  EXPECT_EQ(ByText(same, "1").code, ctl::kDone);
}

TEST(PrinterChoice, ASerialOfDigitsIsNeverAnotherPrintersListNumber) {
  const std::vector<ctl::AttachedPrinter> attached = {Printer("/dev/bus/usb/001/002", "SIM0001", "1-1"),
                                                      Printer("/dev/bus/usb/001/003", "00000001", "1-2")};
  const ctl::Selected selected = ByText(attached, "00000001");
  ASSERT_EQ(selected.code, ctl::kDone) << selected.error;
  EXPECT_EQ(selected.printers.at(0).device, "/dev/bus/usb/001/003");
  // Its printer unplugged, the serial names nothing: it does not fall back to list number 1.
  const ctl::Selected gone = ByText({attached[0]}, "00000001");
  EXPECT_EQ(gone.code, ctl::kNoSuchPrinter);
}

TEST(PrinterChoice, NothingFoundAndSharedSerials) {
  EXPECT_EQ(ByText(kTwo, "3").code, ctl::kNoSuchPrinter);
  EXPECT_EQ(ByText(kTwo, "NOSUCH").code, ctl::kNoSuchPrinter);
  ctl::Selection shared;
  shared.serial = "X";
  const ctl::Selected twice =
      ctl::SelectPrinters({Printer("/dev/a", "X", "1-1"), Printer("/dev/b", "X", "1-2")}, shared);
  EXPECT_EQ(twice.code, ctl::kUsage);
  EXPECT_NE(twice.error.find("--location"), std::string::npos) << twice.error;
  ctl::Selection missing;
  missing.location = "2-1";
  EXPECT_EQ(ctl::SelectPrinters(kTwo, missing).code, ctl::kNoSuchPrinter);
}

TEST(PrinterChoice, WindowsLocationsArePortNamesInAnyCase) {
  ctl::AttachedPrinter printer = Printer("\\\\?\\usb#vid_1a86&pid_1000#a#{x}", "A", "USB001");
  printer.port = "USB001";
  const ctl::Selected selected = ByText({printer, Printer("\\\\?\\usb#b", "B", "USB002")}, "usb001");
  ASSERT_EQ(selected.code, ctl::kDone) << selected.error;
  EXPECT_EQ(selected.printers.at(0).serial, "A");
}

}  // namespace
