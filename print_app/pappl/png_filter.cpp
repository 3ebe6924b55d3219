#include "print_app/pappl/png_filter.h"

#include <png.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "print_app/png_resolution.h"

namespace print_app {
namespace {

// The largest picture decoded: 10000 x 10000 grey pixels (a 100 MB page would be a mistake or an attack).
constexpr png_uint_32 kMaxSide = 10000;

bool Refuse(pappl_job_t* job, const char* why) {
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot print this PNG file: %s.", why);
  papplJobSetMessage(job, "Not printed: %s.", why);
  papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
  return false;
}

struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

bool FilterPng(pappl_job_t* job, pappl_device_t* device, void* /*data*/) {
  std::ifstream in(papplJobGetFilename(job), std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, file.data(), file.size())) {
    return Refuse(job, "the file is not a PNG picture");
  }
  if (png.image.width > kMaxSide || png.image.height > kMaxSide) {
    return Refuse(job, "the picture is larger than 10000 x 10000 pixels");
  }
  png.image.format = PNG_FORMAT_GRAY;  // colour and transparency become grey on white
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png.image));
  const png_color white{255, 255, 255};
  if (!png_image_finish_read(&png.image, &white, pixels.data(), 0, nullptr)) {
    return Refuse(job, "the picture's data is damaged");
  }
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "PNG picture of %ux%u pixels.", png.image.width, png.image.height);
  pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 1, false);
  const bool printed = papplJobFilterImage(job, device, options, pixels.data(), static_cast<int>(png.image.width),
                                           static_cast<int>(png.image.height), 1, PngPixelsPerInch(file), false);
  papplJobDeletePrintOptions(options);
  return printed;
}

}  // namespace print_app
