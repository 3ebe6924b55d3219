// Win32Spooler against Wine's spooler: a printer whose port is mapped to a file receives raw jobs there.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_spooler.h"

namespace {

const wchar_t kDriver[] = L"Wine PostScript Driver";

bool AddTestPrinter(const std::wstring& name, const std::wstring& port) {
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(kDriver);
  driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
  driver.pDataFile = const_cast<wchar_t*>(L"wineps.drv");
  driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
  driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
  ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), 0);  // already there is fine

  PRINTER_INFO_2W printer{};
  printer.pPrinterName = const_cast<wchar_t*>(name.c_str());
  printer.pDriverName = const_cast<wchar_t*>(kDriver);
  printer.pPortName = const_cast<wchar_t*>(port.c_str());
  printer.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  printer.pDatatype = const_cast<wchar_t*>(L"RAW");
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
  HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  if (handle) ::ClosePrinter(handle);
  return handle != nullptr || ::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
}

// The end-to-end runner maps the port to this unix file before the test starts.
std::string OutputFileFromWindows() {
  const char* unixPath = std::getenv("SPOOLER_OUT_UNIX");
  if (!unixPath) return {};
  std::string path = std::string("Z:") + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST(Win32Spooler, ListsPrintersByNameIncludingChineseNames) {
  ASSERT_TRUE(AddTestPrinter(L"KESTRAMO \u6D4B\u8BD5", L"LPT1:"));
  auto names = win32::Win32Spooler().ListPrinters();
  EXPECT_NE(std::find(names.begin(), names.end(), "KESTRAMO 测试"), names.end());
}

TEST(Win32Spooler, FindsPortAndDriverOfAPrinterWhateverTheCodePage) {
  ASSERT_TRUE(AddTestPrinter(L"\u53D1\u7968\u4E13\u7528\u9A71\u52A8N", L"LPT1:"));
  auto setup = win32::Win32Spooler().FindPrinter("发票专用驱动N");
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->portName, "LPT1:");
  EXPECT_EQ(setup->driverName, "Wine PostScript Driver");
  EXPECT_FALSE(win32::Win32Spooler().FindPrinter("No Such Printer 42"));
  EXPECT_FALSE(win32::Win32Spooler().FindPrinter(""));
}

TEST(Win32Spooler, RawJobArrivesUnchangedAlsoAtAChineseNamedPrinter) {
  std::string output = OutputFileFromWindows();
  if (output.empty()) GTEST_SKIP() << "SPOOLER_OUT_UNIX not set";
  const uint8_t bytes[] = {'R', 'E', 'T', 'U', 'R', 'N', ' ', 'V', 'A', 'L', 'U', 'E', 0x0D, 0x0A, 0x00, 0xFF, 0x80, 0x1B, 0x40};
  for (const wchar_t* name : {L"Vollenby RawTest", L"Vollenby \u6D4B\u8BD5"}) {
    ASSERT_TRUE(AddTestPrinter(name, L"USB001"));
    ::DeleteFileA(output.c_str());
    auto result = win32::Win32Spooler().SendRawJob(win32::WideToUtf8(name), "AAAAAA", bytes);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.bytesWritten, sizeof(bytes));
    EXPECT_TRUE(result.allWritten);
    EXPECT_TRUE(result.completed);

    std::ifstream file(output, std::ios::binary);
    std::vector<uint8_t> received((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(received, std::vector<uint8_t>(std::begin(bytes), std::end(bytes)));
  }
}

// The spooler's status bits of a job and its printer, as the console names them.
TEST(Win32Spooler, QueuedJobStateFollowsTheJobAndPrinterStatusBits) {
  struct Case {
    DWORD job, printer;
    platform::QueuedJob expected;
  };
  const Case cases[] = {
      {0, 0, {}},
      {JOB_STATUS_PRINTING | JOB_STATUS_SPOOLING, 0, {}},
      {JOB_STATUS_ERROR, 0, {.error = true}},
      {JOB_STATUS_USER_INTERVENTION, 0, {.error = true}},
      {0, PRINTER_STATUS_PAPER_JAM, {.error = true}},
      {0, PRINTER_STATUS_DOOR_OPEN, {.error = true}},
      {JOB_STATUS_PAUSED, 0, {.paused = true}},
      {0, PRINTER_STATUS_PAUSED, {.paused = true}},
      {JOB_STATUS_OFFLINE, PRINTER_STATUS_PAPER_OUT, {.offline = true, .paperOut = true}},
      {0, PRINTER_STATUS_OFFLINE, {.offline = true}},
      {JOB_STATUS_BLOCKED_DEVQ, 0, {.blocked = true}},
      {JOB_STATUS_PRINTED, 0, {.printed = true}},
      {JOB_STATUS_COMPLETE, 0, {.printed = true}},
      {0x2000 /* JOB_STATUS_RETAINED */, 0, {.printed = true}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(win32::QueuedJobFromStatus(c.job, c.printer) == c.expected) << std::hex << c.job << " " << c.printer;
  }
}

// A job is found, with the state the spooler gives it, while it is in the queue, and not once it has left.
TEST(Win32Spooler, FindsAQueuedJobUntilItLeavesTheQueue) {
  const std::wstring name = L"Vollenby \u961F\u5217";
  ASSERT_TRUE(AddTestPrinter(name, L"LPT1:"));
  HANDLE printer = nullptr;
  ASSERT_TRUE(::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr));
  DOC_INFO_1W document{};
  document.pDocName = const_cast<wchar_t*>(L"AAAAAA");
  const DWORD job = ::StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&document));
  ASSERT_NE(job, 0u);
  win32::Win32Spooler spooler;
  const std::optional<platform::QueuedJob> queued = spooler.FindQueuedJob(win32::WideToUtf8(name), job);
  EXPECT_TRUE(queued);
  EXPECT_FALSE(spooler.FindQueuedJob(win32::WideToUtf8(name), job + 1000));
  EXPECT_FALSE(spooler.FindQueuedJob("No Such Printer 42", job));
  ::AbortPrinter(printer);  // the job leaves the queue unprinted
  ::ClosePrinter(printer);
  EXPECT_FALSE(spooler.FindQueuedJob(win32::WideToUtf8(name), job));
}

TEST(Win32Spooler, UnknownOrEmptyPrinterNameIsNotOpened) {
  const uint8_t bytes[] = {0x1B};
  EXPECT_FALSE(win32::Win32Spooler().SendRawJob("No Such Printer 42", "AAAAAA", bytes).opened);
  EXPECT_FALSE(win32::Win32Spooler().SendRawJob("", "AAAAAA", bytes).opened);
}

}  // namespace
