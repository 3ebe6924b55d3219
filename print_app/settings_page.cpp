#include "print_app/settings_page.h"

#include "cli/frame_report.h"

namespace print_app {

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string SettingsPageBody(const PrinterReport& report) {
  std::string model = report.model;
  if (report.frame && model.empty()) model = ctl::ReportedModel(*report.frame);
  std::string body = "<div class=\"row\"><div class=\"col-12\"><h2 class=\"title\">Printer model and settings</h2>\n";
  body += "<p id=\"model\">Model: " + HtmlEscaped(model.empty() ? "not known" : model) + "</p>\n";
  if (report.frame) {
    body += "<p id=\"read-at\">Settings read from the printer at " + HtmlEscaped(report.readAt) + ":</p>\n";
    body += "<pre id=\"settings\">" + HtmlEscaped(ctl::ReportLines(*report.frame, ctl::Language::English)) +
            "</pre>\n";
  } else {
    body += "<p id=\"settings\">The printer's settings could not be read" +
            (report.problem.empty() ? std::string(".") : ": " + HtmlEscaped(report.problem)) + "</p>\n";
  }
  body += "</div></div>\n";
  return body;
}

}  // namespace print_app
