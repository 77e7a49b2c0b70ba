// The program frame: start-up and shut-down in their fixed orders, and the fatal error report.
#pragma once

#include <cstddef>
#include <string>

#include "dbg/dbg.h"

inline constexpr const char* PRODUCT_NAME = "Vorplex 1.0";
inline constexpr const char* FATAL_REPORT_CAPTION = "Vorplex unrecoverable error";

// Opens every module, the platform first and the coordinator last.
void startUp();
// Closes them in the reverse order.
void shutDown();

// The report's text: the apology, the product, and where and what failed.
std::string fatalReportText(const DBGException& e);

// The text broken into lines of at most width characters, at spaces where it can: SDL's message
// box does not wrap, and the apology alone is wider than any screen.
std::string wrapLines(const std::string& text, std::size_t width);

// Writes the report to standard error, stops the music, minimises the window, shows the report
// in a message box and ends the process at once with status 1, closing nothing: whatever failed
// may have left the modules in any state.
[[noreturn]] void reportFatalError(const DBGException& e);
