#include "deck/findings.h"

#include <algorithm>
#include <cstdio>

#include "deck/text_encoding.h"

namespace pelmo::deck {

namespace {

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kNote:
      break;
  }
  return "note";
}

}  // namespace

int ExitStatusFor(const std::vector<Finding>& findings) {
  int status = 0;
  for (const Finding& f : findings) {
    status = std::max(status, f.severity == Severity::kError     ? 2
                              : f.severity == Severity::kWarning ? 1
                                                                 : 0);
  }
  return status;
}

std::string FormatFinding(const Finding& finding, std::string_view location) {
  std::string out(location);
  // Appended piece by piece: g++ 12 warns falsely about "literal" + std::to_string(...).
  if (finding.line != 0) {
    out += ':';
    out += std::to_string(finding.line);
    if (finding.column != 0) {
      out += ':';
      out += std::to_string(finding.column);
    }
  } else if (finding.column != 0) {
    out += ": column ";
    out += std::to_string(finding.column);
  }
  if (!out.empty()) {
    out += ": ";
  }
  out += SeverityName(finding.severity);
  out += ": " + finding.message + " [" + finding.code + "]";
  return out;
}

std::string JsonString(std::string_view text) {
  const std::string utf8 = SanitizeUtf8(text);
  std::string out = "\"";
  for (const char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string FindingJson(const Finding& finding, std::string_view file) {
  std::string out = "{\"file\":" + JsonString(file);
  if (finding.line != 0) {
    out += ",\"line\":" + std::to_string(finding.line);
  }
  if (finding.column != 0) {
    out += ",\"column\":" + std::to_string(finding.column);
  }
  out += ",\"severity\":" + JsonString(SeverityName(finding.severity));
  out += ",\"code\":" + JsonString(finding.code);
  out += ",\"message\":" + JsonString(finding.message);
  if (!finding.text.empty()) {
    out += ",\"text\":" + JsonString(finding.text);
  }
  if (finding.count) {
    out += ",\"count\":" + std::to_string(*finding.count);
  }
  return out + "}";
}

}  // namespace pelmo::deck
