#include "platform/win32/win32_wmi.h"

#include <wbemidl.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/text_conversion.h"

namespace win32 {
namespace {

ComPtr<IWbemServices> ConnectCimv2() {
  ComPtr<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.Put())))) {
    return {};
  }
  ComPtr<IWbemServices> services;
  UniqueBstr space(L"ROOT\\CIMV2");
  if (FAILED(locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Put()))) {
    return {};
  }
  ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return services;
}

// The property as text, as a script reading it would get it.
std::optional<std::string> PropertyText(IWbemClassObject* object, const std::wstring& property) {
  UniqueVariant value;
  if (FAILED(object->Get(property.c_str(), 0, value.Put(), nullptr, nullptr))) return std::nullopt;
  if (value.Get().vt == VT_NULL || value.Get().vt == VT_EMPTY) return std::string();
  if (value.Get().vt != VT_BSTR &&
      FAILED(::VariantChangeType(&value.Get(), &value.Get(), 0, VT_BSTR))) {
    return std::nullopt;
  }
  const BSTR text = value.Get().bstrVal;
  return WideToUtf8(std::wstring_view(text, ::SysStringLen(text)));
}

}  // namespace

std::optional<std::vector<std::string>> Win32Wmi::QueryProperty(std::string_view query, std::string_view property) {
  ComPtr<IWbemServices> services = ConnectCimv2();
  if (!services) return std::nullopt;
  UniqueBstr language(L"WQL");
  UniqueBstr text(Utf8ToWide(query).c_str());
  ComPtr<IEnumWbemClassObject> rows;
  if (FAILED(services->ExecQuery(language.Get(), text.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                 nullptr, rows.Put()))) {
    return std::nullopt;
  }
  const std::wstring name = Utf8ToWide(property);
  std::vector<std::string> values;
  for (;;) {
    ComPtr<IWbemClassObject> row;
    ULONG returned = 0;
    HRESULT result = rows->Next(static_cast<LONG>(WBEM_INFINITE), 1, row.Put(), &returned);
    if (FAILED(result)) return std::nullopt;
    if (returned == 0) break;
    std::optional<std::string> value = PropertyText(row.Get(), name);
    if (!value) return std::nullopt;
    values.push_back(std::move(*value));
  }
  return values;
}

}  // namespace win32
