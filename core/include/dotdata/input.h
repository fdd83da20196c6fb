#pragma once

#include "dotdata/picturefile.h"
#include "dotdata/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace dotdata {

/// What the bytes of an input file hold, told by their content, not by the file's name.
/// Images are told apart by the caller, which can decode them, before this is asked.
enum class InputForm {
    PictureFile, ///< anything else: read by the picture file's record rules
    DataText, ///< text with at least one DATA line: "<line number> DATA <digits>"
    Binary, ///< a NUL byte: no text at all
};
InputForm recogniseInput(std::string_view bytes);

/// The picture held by DATA statement text, such as the program's own: exactly 32 lines
/// "<line number> DATA <32 digits 0..7>", with blanks or tabs around the parts and any
/// line ends, the rows in file order. Other lines (REM, a loader, DATA lines that are
/// no single run of digits) are passed over. Gives 1024 records; errors name the line.
Result<PictureRecords> readDataText(std::string_view text);

/// The bytes of a regular file of at most kMaxInputBytes.
Result<std::string> readInputFile(const std::filesystem::path &path);

/// The records the text forms of an input hold: DATA text or a picture file. Binary
/// data fails.
Result<PictureRecords> readTextInput(std::string_view bytes);

/// Fails with NoColor at the first record for a cell whose value has no palette colour.
Status checkColors(const PictureRecords &records);

} // namespace dotdata
