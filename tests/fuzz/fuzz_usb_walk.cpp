// Any list of WMI device texts: the installer's detection and class choice, and the console's probe.
#include "config_tool/console/usb_probe.h"
#include "driver_installer/usb_detection.h"
#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_services.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  fakes::FakeWmi wmi;
  wmi.reachable = input.Byte() != 0xFF;
  omblet::InstallerState state;
  state.scanCounter = static_cast<int16_t>(input.Byte() % 100);  // any earlier scans, so the wrap is reached
  while (!input.Empty()) wmi.dependents.push_back(input.Line());

  fakes::FakeWindow window;
  fakes::FakeLabel progress, device, label2;
  omblet::DetectUsbPrinter(wmi, {window, progress, device, state});
  fuzz::Expect(state.scanCounter >= 0 && state.scanCounter <= 99);
  for (const std::string& text : wmi.dependents) (void)omblet::ChooseInvoiceClass(text.substr(0, 4));

  fakes::FakeRichText txtre;
  label2.SetText("######");
  quorvel::ProbeUsbIdentity(wmi, window, txtre, label2);
  fuzz::Expect(label2.Text() == "######" || label2.Text().size() <= 4);
  return 0;
}
