#include "config_tool/params/settings_writer.h"

namespace quorvel {

PrinterSettings SettingsFromControls(const MainWindowControls& c) {
  PrinterSettings settings;
  settings.sensorType = c.option1.Selected() ? 0 : c.option2.Selected() ? 1 : c.option3.Selected() ? 2 : -1;
  settings.compatibility = c.check1.Value() == platform::CheckValue::Checked;  // a greyed box counts as off
  settings.usbHandshake = c.option4.Selected();
  settings.speedLimit = c.combo4.Selected() != 0;
  settings.frontSensor = c.combo5.Selected() == 0;
  settings.externalPower = c.combo6.Selected() == 0;
  settings.headProtection = c.combo7.Selected() == 0;
  settings.offsetIndex = c.combo8.Selected() < 0 ? 0 : c.combo8.Selected();
  settings.constantDensity = c.check5.Value() != platform::CheckValue::Unchecked;  // greyed counts as on
  settings.frontSensorOff = c.checkCloseOutSensor.Value() != platform::CheckValue::Unchecked;
  return settings;
}

void SettingsWriter::Report(std::string_view chinese, std::string_view english) {
  controls_.richTextBox1.SetText(ByLanguage(process_, chinese, english));
}

void SettingsWriter::Set() {
  // One operation at a time: the running one reports, and its own search stays as it found the printers.
  if (channel_.Busy()) return;
  fields_.settingsWriteActive = 1;
  discovery_.FindPrinters();
  if (controls_.list4.Count() < 1) {
    controls_.label4.SetText("");
    reloadWindow_();
    // After the reload, so that the fresh window still tells why nothing was written.
    controls_.richTextBox1.SetText(std::string(ByLanguage(process_, "没有查询到打印机!", "no printer linked!")) + "\n");
    fields_.settingsWriteActive = 0;
    return;
  }

  writing_ = SettingsFromControls(controls_);
  channel_.StartWrite(
      fields_.devicePath, ToBytes(SettingsBatch(writing_)),
      [this](WriteResult written) { OnBatchWritten(written); }, [this] { waitNotice_.Show(); });
}

void SettingsWriter::OnBatchWritten(WriteResult written) {
  waitNotice_.Clear();
  fields_.settingsWriteActive = 0;
  switch (written) {
    case WriteResult::OpenFailed:
      Report("打开打印机失败", "Cannot open the printer");
      return;
    case WriteResult::TimedOut:
      // Never the wait for the printer to apply settings it did not take. Not read back either: that read
      // would stall the same way and put its own words over these.
      controls_.richTextBox1.SetText(SettingsNotTakenText(process_.language == 1));
      return;
    case WriteResult::WriteFailed:
    case WriteResult::ShortWrite:
      Report("设置写入失败", "Settings write failed");
      // Part of the batch may have reached the printer: read back what it holds now, at the next
      // automatic-read tick, so the controls stop showing settings it may not have taken.
      process_.paramsReadDone = 0;
      return;
    case WriteResult::Written:
      break;
  }
  fields_.printerSettings = writing_;  // written: the automatic read may show the printer's values again
  controls_.window.SetEnabled(false);
  host_.OpenSettingsWait();
  process_.paramsReadDone = 1;  // no automatic read while the printer applies the settings
}

}  // namespace quorvel
