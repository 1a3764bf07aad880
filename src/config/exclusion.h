// Applies _MEM_SMEF.ini: sets the exclusion flags of the devices it lists.
//
// The text is cut into lines at CR, LF, double quote and NUL.  A line names a
// device when it holds an '=' after at least one character: the device letter
// first, then the number (hexadecimal for X and Y, decimal otherwise; an
// unreadable number is 0).  Blanks before the key are skipped; a line longer
// than 255 characters is read as its first 255; keys beginning with "SM" set
// nothing (special relays have no flag); a number outside the device's area
// sets nothing.  Flags are only ever set.
#pragma once

#include <cstddef>
#include <string>

#include "core/context.h"

namespace quorsma::config {

// Returns false (after its trace line) when the file cannot be opened.
bool ReadMemorySettings(const Context& context, const std::string& path);

// Applies the text of a settings file to the flags of the image.
void ApplyMemorySettings(Image& image, const char* text, std::size_t size);

}  // namespace quorsma::config
