// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <ostream>
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"

namespace flowdesk {

// Every file kind as readable text: its header fields, then what its bytes
// decode to (parameter files) or one line per record (recordings). Field
// names and list entries follow the language (a script picks lines out with
// --lang en), dates and decimal separators the regional settings, a value
// and its unit parted by a blank. Nothing is written to `out` unless the
// file's header could be read; the records follow as they are read, so a
// record that cannot be read (a file cut short meanwhile, a read error)
// ends the text with the lines before it.
FileResult showFile(const std::string& path, Language language, const RegionalSettings& regional,
                    std::ostream& out);

}  // namespace flowdesk
