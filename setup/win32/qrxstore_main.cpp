// QRXStore.exe: installed beside the programs by the installer package, which runs it to put the driver package
// into the driver store ("add") and to take it out again on removal ("remove").
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_driver_store.h"
#include "platform/win32/win32_services.h"
#include "setup/driver_store_step.h"

int wmain(int argc, wchar_t** argv) {
  // It runs with the installer's rights: nothing beside it may be loaded in place of setupapi.
  win32::RestrictDllSearch();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(win32::WideToUtf8(argv[i]));
  win32::Win32FileSystem files;
  win32::Win32DriverStore store;
  const int code = setup::RunDriverStoreStep(arguments, files, store, std::cout, std::cerr);
  std::cout.flush();
  return code;
}
