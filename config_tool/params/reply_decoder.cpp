#include "config_tool/params/reply_decoder.h"

#include "config_tool/params/model_identity.h"
#include "config_tool/params/settings_writer.h"

namespace quorvel {
namespace {
platform::CheckValue Check(bool on) { return on ? platform::CheckValue::Checked : platform::CheckValue::Unchecked; }
}  // namespace

void ReplyDecoder::Decode(Frame frame) {
  IdentifyModel(ReportedProduct(frame), "1A86", fields_,
                {controls_.window, controls_.list2, controls_.list3, controls_.check4});
  // The detected model is now the one the current printer reports about itself.
  fields_.detectedInterfaceRow = -1;
  for (int row = 0; controls_.list3.Count() > 0 && row < controls_.list4.Count(); ++row) {
    if (controls_.list4.Item(row) == fields_.devicePath) fields_.detectedInterfaceRow = row;
  }
  controls_.richTextBox1.SetText(ReportText(frame, process_.language == 1, fields_.currentModel));

  const ReportedSettings reported = SettingsOf(frame);
  (reported.usbHandshake ? controls_.option4 : controls_.option5).SetSelected(true);
  platform::OptionButton* sensors[] = {&controls_.option1, &controls_.option2, &controls_.option3};
  sensors[reported.sensorOption]->SetSelected(true);
  controls_.check1.SetValue(Check(reported.compatibility));
  controls_.combo4.Select(reported.speedLimit ? 1 : 0);
  if (reported.extended) {
    // For these three lists the first item is the "yes" one.
    controls_.combo5.Select(reported.frontSensor ? 0 : 1);
    controls_.combo6.Select(reported.externalPower ? 0 : 1);
    onCombo6Changed_();
    controls_.combo7.Select(reported.headProtection ? 0 : 1);
  }
  if (reported.offsetIndex) controls_.combo8.Select(*reported.offsetIndex);
  controls_.check5.SetValue(Check(reported.constantDensity));
  controls_.checkCloseOutSensor.SetValue(Check(reported.frontSensorOff));
  fields_.printerSettings = SettingsFromControls(controls_);
}

}  // namespace quorvel
