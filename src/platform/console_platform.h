// The console variant's layer over the platform (kitec32.exe, kitec64.exe):
// it never shows a message box.  A box becomes one line on standard error,
// "NAME: error: TEXT" (or "NAME: CAPTION: TEXT" for a box whose caption
// says more than "Error"), answered as No; trace lines go to standard error
// too, each line prefixed with the name, so that standard output belongs to
// the application alone.  Every box anyone adds is covered: the launcher
// puts this layer under all of its logic.
#ifndef KITE_PLATFORM_CONSOLE_PLATFORM_H_
#define KITE_PLATFORM_CONSOLE_PLATFORM_H_

#include <string>

#include "platform/forwarding_platform.h"

namespace kite {

// The name a console program calls itself by in its messages: the base
// name of `exePath` (after the last "\" or "/"), without an ".exe" in any
// letter case; "kite" for an empty one.
std::string programName(const std::string& exePath);

// A box's text on one line: each line break, with the blanks around it,
// becomes " / "; a missing text reads "(null)".
std::string textOnOneLine(const char* text);

// A box as the console variant writes it, without the name: "error: TEXT"
// for the captions "Error" and "Error!", "CAPTION: TEXT" otherwise, the text
// on one line.
std::string boxAsLine(const char* text, const std::string& caption);

class ConsolePlatform : public ForwardingPlatform {
 public:
  ConsolePlatform(Platform& inner, std::string name)
      : ForwardingPlatform(inner), name_(std::move(name)) {}

  int showMessageBox(const char* text, const std::string& caption,
                     unsigned style) override;
  void writeOut(const std::string& text) override { writeLines(text); }
  void writeError(const std::string& text) override { writeLines(text); }

 private:
  // To standard error, with the name before each line.
  void writeLines(const std::string& text);

  std::string name_;
  bool atLineStart_ = true;
};

}  // namespace kite

#endif  // KITE_PLATFORM_CONSOLE_PLATFORM_H_
