#include "print_app/pappl/raster_driver.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <string>
#include <thread>

#include "cli/frame_exchange.h"
#include "config_tool/raster/grey_rows.h"
#include "config_tool/raster/page_encoder.h"
#include "config_tool/raster/paper_families.h"
#include "print_app/pappl/app.h"
#include "print_app/pappl/device_schemes.h"
#include "print_app/sensor_step.h"

namespace print_app {

struct PageWork {
  PageWork(uint32_t sourceWidth, const quorvel::PaperFamily& family, bool blackIsHigh,
           const quorvel::DitherMatrix& dither)
      : rows(sourceWidth, family.printableDots, blackIsHigh, dither), encoder(family.printableDots, family.paper, out) {}
  quorvel::GreyRowConverter rows;
  std::vector<uint8_t> out;  // before `encoder`, which writes into it
  quorvel::PageEncoder encoder;
};

namespace {

constexpr uint8_t kReset[] = {0x1B, 0x40};
// Encoded bytes go to the device once this many are ready, so a long page streams.
constexpr size_t kSendAt = 64 * 1024;
constexpr const char* kSensorOption = "sensor-follows-media";
constexpr const char* kSource = "main-roll";

const quorvel::PaperFamily* FamilyOf(pappl_job_t* job) {
  return quorvel::PaperFamilyOfDriver(papplPrinterGetDriverName(papplJobGetPrinter(job)));
}

bool Send(pappl_device_t* device, const void* bytes, size_t size) {
  return size == 0 || papplDeviceWrite(device, bytes, size) >= 0;
}

bool SendSettled(pappl_device_t* device, PageWork& page) {
  const size_t settled = page.encoder.SettledBytes();
  if (!Send(device, page.out.data(), settled)) return false;
  page.encoder.DropSettled();
  return true;
}

// The job's own sensor-follows-media, else the printer's default (PAPPL hands a job only the vendor options the
// job itself names).
bool SensorFollowsMedia(pappl_printer_t* printer, pappl_pr_options_t* options) {
  if (const char* value = cupsGetOption(kSensorOption, options->num_vendor, options->vendor)) {
    return std::strcmp(value, "false") != 0;
  }
  ipp_t* attributes = papplPrinterGetDriverAttributes(printer);
  ipp_attribute_t* setting =
      ippFindAttribute(attributes, (std::string(kSensorOption) + "-default").c_str(), IPP_TAG_BOOLEAN);
  const bool follows = !setting || ippGetBoolean(setting, 0);
  ippDelete(attributes);
  return follows;
}

void FollowMediaTypeFor(pappl_job_t* job, pappl_pr_options_t* options, OpenPrinter& open) {
  if (!SensorFollowsMedia(papplJobGetPrinter(job), options)) return;  // the admin sets the sensor by hand
  if (TheApp().IsSilent(open.uri)) return;
  const SensorStep step = FollowMediaType(
      *open.connection, papplPrinterGetName(papplJobGetPrinter(job)), options->media.type,
      [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }, TheApp().settings.sensorSettle);
  switch (step.kind) {
    case SensorStep::NotNeeded:
    case SensorStep::AlreadySet:
      break;
    case SensorStep::Changed:
      papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s.", step.text.c_str());
      break;
    case SensorStep::NoAnswer:
      TheApp().MarkSilent(open.uri);
      papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s; the sensor is not set for this printer's jobs from now on.",
                  step.text.c_str());
      break;
    case SensorStep::Failed:
      papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s.", step.text.c_str());
      papplJobSetMessage(job, "Printing, but %s.", step.text.c_str());
      break;
  }
}

// A new job on the printer: a command an earlier job was stopped in the middle of is finished first.
bool BeginJob(pappl_job_t* job, OpenPrinter& open, pappl_device_t* device, bool raw) {
  open.job = job;
  open.raw = raw;
  open.page.reset();
  open.failed = false;
  open.commands = {};
  const std::vector<uint8_t> owed = TheApp().TakeOwed(open.uri);
  if (owed.empty()) return true;
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "Finishing the command the last job was stopped in (%zu bytes).", owed.size());
  // Before anything that goes to the printer past PAPPL's buffer (the settings read).
  const bool sent = Send(device, owed.data(), owed.size());
  papplDeviceFlush(device);
  return sent;
}

bool StartJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
  OpenPrinter* open = OpenPrinterOf(device);
  if (!open || !FamilyOf(job) || !BeginJob(job, *open, device, false)) return false;
  FollowMediaTypeFor(job, options, *open);
  return Send(device, kReset, sizeof kReset);
}

bool StartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned /*page*/) {
  OpenPrinter* open = OpenPrinterOf(device);
  const quorvel::PaperFamily* family = FamilyOf(job);
  if (!open || !family) return false;
  const cups_page_header2_t& header = options->header;
  // The driver asks for 8-bit grey, so PAPPL hands a client's 8-bit raster over as it came, header included: it
  // is checked here, before any of its lines, and dithered here (PAPPL's own dither loop overruns its line when
  // the raster is wider than the medium).
  quorvel::GreyPageShape shape;
  shape.width = header.cupsWidth;
  shape.height = header.cupsHeight;
  shape.bitsPerPixel = header.cupsBitsPerPixel;
  shape.bytesPerLine = header.cupsBytesPerLine;
  shape.xDpi = header.HWResolution[0];
  shape.yDpi = header.HWResolution[1];
  unsigned space;  // a client's header may hold any number here, not only the enumeration's
  std::memcpy(&space, &header.cupsColorSpace, sizeof space);
  shape.blackIsHigh = space == CUPS_CSPACE_K;
  if (const std::string problem = quorvel::GreyPageProblem(shape, quorvel::kPrinterDpi); !problem.empty()) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot print this page: %s.", problem.c_str());
    papplJobSetMessage(job, "Not printed: %s.", problem.c_str());
    papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
    return false;
  }
  quorvel::DitherMatrix dither;
  static_assert(sizeof dither == sizeof options->dither);
  std::memcpy(dither.data(), options->dither, sizeof dither);
  open->page = std::make_shared<PageWork>(header.cupsWidth, *family, shape.blackIsHigh, dither);
  return SendSettled(device, *open->page);
}

bool WriteLine(pappl_job_t* /*job*/, pappl_pr_options_t* options, pappl_device_t* device, unsigned y,
               const unsigned char* line) {
  OpenPrinter* open = OpenPrinterOf(device);
  if (!open || !open->page) return false;
  PageWork& page = *open->page;
  page.encoder.AddRow(page.rows.Convert({line, options->header.cupsBytesPerLine}, y));
  return page.encoder.SettledBytes() < kSendAt || SendSettled(device, page);
}

bool EndPage(pappl_job_t* /*job*/, pappl_pr_options_t* /*options*/, pappl_device_t* device, unsigned /*page*/) {
  OpenPrinter* open = OpenPrinterOf(device);
  if (!open || !open->page) return false;
  open->page->encoder.End();
  const bool sent = SendSettled(device, *open->page);
  open->page.reset();
  return sent;
}

bool EndJob(pappl_job_t* /*job*/, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
  OpenPrinter* open = OpenPrinterOf(device);
  const bool sent = Send(device, kReset, sizeof kReset);
  // PAPPL calls the job done before it closes the device: the last bytes must be at the printer by then.
  papplDeviceFlush(device);
  if (open) open->job = nullptr;
  return sent;
}

// Bytes already in the printer's language, sent as they are: a raw job is never cut short or changed.
bool PrintRawFile(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
  OpenPrinter* open = OpenPrinterOf(device);
  if (!open || !BeginJob(job, *open, device, true)) return false;
  const int fd = ::open(papplJobGetFilename(job), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::array<char, 65536> buffer;
  ssize_t got;
  bool sent = true;
  while (sent && (got = ::read(fd, buffer.data(), buffer.size())) > 0) sent = Send(device, buffer.data(), static_cast<size_t>(got));
  ::close(fd);
  papplDeviceFlush(device);
  open->job = nullptr;
  return sent && got == 0;
}

std::vector<std::string>& DriverTexts() {
  static std::vector<std::string> texts;
  return texts;
}

}  // namespace

std::vector<pappl_pr_driver_t> Drivers() {
  std::vector<pappl_pr_driver_t> drivers;
  auto& texts = DriverTexts();
  texts.clear();
  texts.reserve(quorvel::PaperFamilies().size() * 2);
  for (const quorvel::PaperFamily& family : quorvel::PaperFamilies()) {
    texts.emplace_back(family.driver);
    const char* name = texts.back().c_str();
    texts.push_back("Quorvel thermal printer, " + std::string(family.description));
    drivers.push_back({name, texts.back().c_str(), nullptr, nullptr});
  }
  return drivers;
}

bool FillDriverData(pappl_system_t* /*system*/, const char* driverName, const char* /*deviceUri*/,
                    const char* /*deviceId*/, pappl_pr_driver_data_t* data, ipp_t** attrs, void* /*cbData*/) {
  const quorvel::PaperFamily* family = quorvel::PaperFamilyOfDriver(driverName ? driverName : "");
  if (!family) return false;
  const bool roll = family->paper == quorvel::PaperKind::Roll;

  data->printfile_cb = PrintRawFile;
  data->rstartjob_cb = StartJob;
  data->rstartpage_cb = StartPage;
  data->rwriteline_cb = WriteLine;
  data->rendpage_cb = EndPage;
  data->rendjob_cb = EndJob;
  data->format = kRawFormat;
  std::snprintf(data->make_and_model, sizeof data->make_and_model, "Quorvel thermal printer, %s",
                std::string(family->description).c_str());
  data->ppm = 30;
  data->kind = roll ? (PAPPL_KIND_RECEIPT | PAPPL_KIND_ROLL) : PAPPL_KIND_LABEL;
  data->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_MONOCHROME | PAPPL_COLOR_MODE_BI_LEVEL;
  data->color_default = PAPPL_COLOR_MODE_MONOCHROME;
  // 8-bit grey in, one bit out: see StartPage.
  data->raster_types = PAPPL_PWG_RASTER_TYPE_SGRAY_8;
  data->force_raster_type = PAPPL_PWG_RASTER_TYPE_NONE;
  data->content_default = PAPPL_CONTENT_AUTO;
  data->quality_default = IPP_QUALITY_NORMAL;
  data->scaling_default = PAPPL_SCALING_AUTO;
  data->num_resolution = 1;
  data->x_resolution[0] = data->y_resolution[0] = quorvel::kPrinterDpi;
  data->x_default = data->y_default = quorvel::kPrinterDpi;
  // The raster covers the whole medium; each row is cropped to the printable width around its middle. The side
  // margins say so: CUPS names a size whose margins are all zero "NAME.Borderless" yet its default "NAME", so that
  // a queue made with lpadmin -m everywhere, with no other size, would render every page on Letter.
  data->borderless = false;
  data->left_right = (family->widthHundredthsMm -
                      static_cast<int>(family->printableDots) * 2540 / quorvel::kPrinterDpi) / 2;
  data->bottom_top = 0;
  data->num_media = 1;
  data->media[0] = family->mediaName.data();
  data->num_source = 1;
  data->source[0] = kSource;
  pappl_media_col_t& media = data->media_default;
  std::snprintf(media.size_name, sizeof media.size_name, "%s", family->mediaName.data());
  media.size_width = family->widthHundredthsMm;
  media.size_length = family->lengthHundredthsMm;
  media.left_margin = media.right_margin = data->left_right;
  std::snprintf(media.source, sizeof media.source, "%s", kSource);
  std::snprintf(media.type, sizeof media.type, "%s",
                std::string(roll ? kMediaContinuous : kMediaGapLabels).c_str());
  media.tracking = roll ? PAPPL_MEDIA_TRACKING_CONTINUOUS : PAPPL_MEDIA_TRACKING_GAP;
  data->media_ready[0] = media;
  data->tracking_supported = PAPPL_MEDIA_TRACKING_CONTINUOUS | PAPPL_MEDIA_TRACKING_GAP | PAPPL_MEDIA_TRACKING_MARK;
  data->num_type = 3;
  data->type[0] = kMediaGapLabels.data();
  data->type[1] = kMediaMarkLabels.data();
  data->type[2] = kMediaContinuous.data();
  data->num_vendor = 1;
  data->vendor[0] = kSensorOption;
  *attrs = ippNew();
  // What IPP Everywhere clients look for and PAPPL leaves out: one side, no colour management, no preferred values.
  ippAddBoolean(*attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr, "auto");
  ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported", nullptr, "auto");
  ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
  ippAddBoolean(*attrs, IPP_TAG_PRINTER, "sensor-follows-media-default", 1);
  ippAddBoolean(*attrs, IPP_TAG_PRINTER, "sensor-follows-media-supported", 1);
  return true;
}

}  // namespace print_app
