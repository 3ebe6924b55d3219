#include "config_tool/link/raw_spooler_job.h"

#include <string>

namespace quorvel {

bool SendRawToPrinter(platform::Spooler& spooler, platform::Dialogs& dialogs, std::string_view printerName,
                      std::span<const uint8_t> bytes, uint32_t& count, uint32_t* jobId) {
  platform::RawJobResult result = spooler.SendRawJob(printerName, kRawDocumentName, bytes);
  if (jobId) *jobId = result.jobId;
  if (!result.opened) {
    dialogs.ShowMessage(kUnknownPrinterText, kProgramTitle);
    return false;
  }
  count = result.bytesWritten;
  if (!result.completed && result.allWritten) {
    // Every byte went to the spooler but the page or the document did not end: nothing was cancelled.
    dialogs.ShowMessage("发送失败！打印机“" + std::string(printerName) + "”已接收全部 " +
                            std::to_string(result.bytesWritten) + " 字节，但打印任务没有正常结束，可能不会打印。",
                        "提示");
    return false;
  }
  if (!result.completed) {
    dialogs.ShowMessage("发送失败！打印机“" + std::string(printerName) + "”没有接收全部数据（接收 " +
                            std::to_string(result.bytesWritten) + " / " + std::to_string(bytes.size()) +
                            " 字节），打印任务已取消。",
                        "提示");
    return false;
  }
  return true;
}

}  // namespace quorvel
