#pragma once
// Each printer's "Model and settings" page in the web interface, linked from the printer's own page.
#include <pappl/pappl.h>

namespace print_app {

// Called for every printer PAPPL creates, those loaded from the saved state included.
void AddPrinterPages(pappl_printer_t* printer, void* data);

}  // namespace print_app
