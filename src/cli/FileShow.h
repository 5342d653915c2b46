#pragma once
#include <ostream>
#include <string>

#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"

namespace flowdesk {

// Every file kind as readable text: its header fields, then what its bytes
// decode to (parameter files) or one line per record (recordings). Field
// names are fixed English words so that scripts can pick lines out; list
// entries and dates follow the language and the regional settings. Nothing
// is written to `out` unless the file could be read.
FileResult showFile(const std::string& path, int language, const RegionalSettings& regional,
                    std::ostream& out);

}  // namespace flowdesk
