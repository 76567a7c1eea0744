#pragma once

#include <string>

#include "display/ReadoutText.h"

// A read-out line as assistive technology should read it: up to its
// terminator, without leading blanks or trailing blanks and control bytes.
std::string ReadableLine(const char (&line)[64]);

// What the window says it shows: the frequency line without its activity
// indicator and, while the L meter is shown, the inductance line below it.
std::string ReadingText(const ReadoutText& text, bool inductanceShown);
