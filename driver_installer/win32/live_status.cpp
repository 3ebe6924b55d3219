#include "driver_installer/win32/live_status.h"

#include <initguid.h>
#include <oleacc.h>

#include "platform/win32/com_ptr.h"

namespace omblet_win32 {
namespace {

// UI Automation's LiveSetting property and its "polite" value, and the event that a live region changed: Windows 8
// names; their values are fixed, and older systems ignore them.
DEFINE_GUID(kLiveSettingProperty, 0xc12bcd8e, 0x2a8e, 0x4950, 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb);
constexpr long kPolite = 1;
constexpr DWORD kLiveRegionChanged = 0x8019;

win32::ComPtr<IAccPropServices> AnnotationService() {
  win32::ComPtr<IAccPropServices> services;
  ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                     reinterpret_cast<void**>(services.Put()));
  return services;
}

}  // namespace

void MarkLiveRegion(HWND line) {
  win32::ComPtr<IAccPropServices> services = AnnotationService();
  if (!services) return;  // no annotation service: the name change is still raised
  VARIANT polite;
  ::VariantInit(&polite);
  polite.vt = VT_I4;
  polite.lVal = kPolite;
  services->SetHwndProp(line, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty, polite);
}

void UnmarkLiveRegion(HWND line) {
  win32::ComPtr<IAccPropServices> services = AnnotationService();
  MSAAPROPID live = kLiveSettingProperty;
  if (services) services->ClearHwndProps(line, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &live, 1);
}

void AnnounceChange(HWND line) {
  ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, line, OBJID_CLIENT, CHILDID_SELF);
  ::NotifyWinEvent(kLiveRegionChanged, line, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace omblet_win32
