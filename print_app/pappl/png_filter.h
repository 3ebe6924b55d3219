#pragma once
// PNG pictures, decoded here rather than by PAPPL 1.3.1's own filter, which never ends on a file that is not a PNG
// (its libpng error handler returns) and prints a one-bit picture almost black. The decoded picture is placed and
// scaled by PAPPL (papplJobFilterImage), as PAPPL's own filter does.
#include <pappl/pappl.h>

namespace print_app {

// For papplSystemAddMIMEFilter from image/png to the drivers' own format, which PAPPL looks for first.
bool FilterPng(pappl_job_t* job, pappl_device_t* device, void* data);

}  // namespace print_app
