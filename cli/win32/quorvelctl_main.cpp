// quorvelctl.exe: printers found in the registry as the configuration tool finds them, reached through their
// device files as it reaches them.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/ctl_app.h"
#include "cli/device_file_printers.h"
#include "cli/registry_printer_source.h"
#include "cli/win32/console_stream.h"
#include "cli/win32/open_failure.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_device_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"

int wmain(int argc, wchar_t** argv) {
  win32::RestrictDllSearch();
  // "-" reads a job, an image or a profile from standard input: its bytes unchanged, no CR LF turned into LF.
  _setmode(_fileno(stdin), _O_BINARY);

  // Arguments come as UTF-16, so that any file name or text survives whatever the ANSI code page is.
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(win32::WideToUtf8(argv[i]));
  std::vector<const char*> utf8Argv;
  for (const std::string& argument : arguments) utf8Argv.push_back(argument.c_str());

  quorvelctl_win32::ConsoleStreamBuffer outBuffer(STD_OUTPUT_HANDLE), errBuffer(STD_ERROR_HANDLE);
  std::ostream out(&outBuffer), err(&errBuffer);

  win32::Win32Registry registry;
  win32::Win32DeviceFiles files;
  ctl::DeviceFilePrinters devices(files, quorvelctl_win32::LastOpenFailure);
  ctl::RegistryPrinterSource source(registry);
  win32::Win32TextCodec codec;
  ctl::CtlContext context{source,
                          devices,
                          codec,
                          ctl::HostSystem::Windows,
                          ctl::Io{out, err, std::cin, errBuffer.IsConsole(),
                                  quorvelctl_win32::IsConsole(STD_INPUT_HANDLE)},
                          [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }};
  const int code = ctl::RunCtl(argc, utf8Argv.data(), context);
  out.flush();
  err.flush();
  return code;
}
