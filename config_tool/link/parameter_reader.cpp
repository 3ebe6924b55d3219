#include "config_tool/link/parameter_reader.h"

#include "config_tool/params/command_set.h"

namespace quorvel {

void ParameterReader::ReadParameters() {
  // One operation at a time: the running one reports, and its own search stays as it found the printers.
  if (channel_.Busy()) return;
  discovery_.FindPrinters();
  controls_.window.Repaint();
  if (controls_.list3.Count() == 0) {
    controls_.richTextBox1.SetText(ByLanguage(process_, "没有查询到打印机", "No printer linked"));
    controls_.label4.SetText("");
    return;
  }

  // A reply still awaited from an earlier command would swallow this command's answer: drop it first.
  channel_.CloseReply();
  channel_.StartWrite(
      fields_.devicePath, ToBytes(CommandLine(command::kReturnValue)),
      [this](WriteResult written) { OnQueryWritten(written); }, [this] { waitNotice_.Show(); });
}

void ParameterReader::OnQueryWritten(WriteResult written) {
  waitNotice_.Clear();
  if (written == WriteResult::TimedOut) {
    // No answer can come to a command the printer never took: no reply wait.
    controls_.richTextBox1.SetText(PrinterTookNoDataText(process_.language == 1));
    return;
  }
  if (written == WriteResult::OpenFailed || !channel_.OpenReply(fields_.devicePath)) {
    controls_.richTextBox1.SetText(ByLanguage(process_, "打开打印机失败", "Cannot open the printer"));
    return;
  }
  controls_.timer4.SetEnabled(true);
  controls_.timer4.SetInterval(kReplyDelayMs);
  discovery_.ListBrandPrinters();
}

void ParameterReader::OnTimer4Tick() {
  controls_.timer4.SetEnabled(false);
  channel_.StartCollect(kFrameChecks, [this](std::optional<FrameBytes> frame) {
    controls_.richTextBox1.SetText("");
    if (!frame) {
      controls_.richTextBox1.SetText("读取失败\r\n");
      return;
    }
    decoder_.Decode(*frame);
  });
}

void ParameterReader::OnTimer3Tick() {
  if (controls_.check2.Value() == platform::CheckValue::Checked) {
    ReadParameters();
    controls_.timer3.SetInterval(kAutoReadIntervalMs);
  }
  if (process_.paramsReadDone == 0) {
    ReadParameters();
    process_.paramsReadDone = 1;
  }
}

}  // namespace quorvel
