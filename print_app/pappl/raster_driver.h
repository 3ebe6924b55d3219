#pragma once
// The drivers, one per paper family: what each offers over IPP, and the raster callbacks that turn PAPPL's pages
// into the bytes the printers' Windows driver sends.
#include <pappl/pappl.h>

#include <vector>

namespace print_app {

// The drivers for papplMainloop, in the paper families' order.
std::vector<pappl_pr_driver_t> Drivers();

bool FillDriverData(pappl_system_t* system, const char* driverName, const char* deviceUri, const char* deviceId,
                    pappl_pr_driver_data_t* data, ipp_t** attrs, void* cbData);

// The raw format: bytes already in the printer's language go through unchanged.
inline constexpr const char* kRawFormat = "application/vnd.quorvel-escpos";

}  // namespace print_app
