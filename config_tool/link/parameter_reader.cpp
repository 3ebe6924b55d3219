#include "config_tool/link/parameter_reader.h"

#include "config_tool/params/command_set.h"
#include "config_tool/params/settings_writer.h"

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

bool ParameterReader::ChangesNotWritten() const {
  return fields_.printerSettings && SettingsFromControls(controls_) != *fields_.printerSettings;
}

void ParameterReader::SayAutomaticReadPaused() {
  const std::string_view note =
      ByLanguage(process_, "自动读取已暂停：有修改还没有写入打印机。点击“设置”写入，或改回原值。",
                 "Automatic read paused: a change is not yet written to the printer. Press Set to write it, or "
                 "change it back.");
  // Said once, above the last report; the view may give its line ends back in another form.
  const std::string shown = controls_.richTextBox1.Text();
  if (shown.find(note) == std::string::npos) controls_.richTextBox1.SetText(std::string(note) + "\r\n" + shown);
}

void ParameterReader::OnTimer3Tick() {
  if (controls_.check2.Value() == platform::CheckValue::Checked) {
    // A read would put the printer's values over a change the user has not written yet: it waits for the Set,
    // or for the change to be undone. Pausing, rather than skipping the changed controls, keeps the report and
    // the controls telling the same story.
    if (ChangesNotWritten()) {
      SayAutomaticReadPaused();
    } else {
      ReadParameters();
    }
    controls_.timer3.SetInterval(kAutoReadIntervalMs);
  }
  if (process_.paramsReadDone == 0) {
    ReadParameters();
    process_.paramsReadDone = 1;
  }
}

}  // namespace quorvel
