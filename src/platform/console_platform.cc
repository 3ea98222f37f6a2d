#include "platform/console_platform.h"

#include <utility>

#include "base/text.h"

namespace kite {

std::string programName(const std::string& exePath) {
  std::string name = exeStem(exePath, /*anyCase=*/true);
  // A program named ".exe" alone keeps its name.
  if (name.empty()) name = fileNameOf(exePath);
  return name.empty() ? "kite" : name;
}

std::string textOnOneLine(const char* text) {
  const std::string body = text ? text : "(null)";
  std::string line;
  size_t start = 0;
  while (true) {
    size_t end = body.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = body.size();
    size_t from = start, to = end;
    while (from < to && (body[from] == ' ' || body[from] == '\r')) ++from;
    while (to > from && (body[to - 1] == ' ' || body[to - 1] == '\r')) --to;
    if (start > 0) line += " / ";
    line.append(body, from, to - from);
    if (last) break;
    start = end + 1;
  }
  return line;
}

std::string boxAsLine(const char* text, const std::string& caption) {
  return (caption == "Error" || caption == "Error!" ? std::string("error")
                                                    : caption) +
         ": " + textOnOneLine(text);
}

int ConsolePlatform::showMessageBox(const char* text,
                                    const std::string& caption,
                                    unsigned style) {
  writeLines((atLineStart_ ? "" : "\n") + boxAsLine(text, caption) + "\n");
  // Nobody can answer: a question is answered No.
  return (style & kBoxButtonsMask) == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

void ConsolePlatform::writeLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + name_.size() + 2);
  for (char c : text) {
    if (atLineStart_) {
      out += name_;
      out += ": ";
      atLineStart_ = false;
    }
    out += c;
    if (c == '\n') atLineStart_ = true;
  }
  if (!out.empty()) inner().writeError(out);
}

}  // namespace kite
