// The JSON form of a whole parameter file: the document that dump --json writes and build reads.
#pragma once

#include "VariantJson.h"

#include <cbfoundation/entry/CbParameterFile.h>

namespace cbtool {

/// The document of a parameter file: its version, the sections that version
/// holds, and, when given, its container (which build does not read).
Json FileJson(const CbParameterFile& file, const Json& container = Json());

/// The parameter file a document describes. Throws Failure, naming the place
/// in the document, for anything that does not describe one: an unknown key,
/// a section the version does not hold, a value of the wrong shape.
CbParameterFile FileFromJson(const Json& document);

/// One record as JSON: name, type, value, number.
Json RecordJson(const PmCParameter& record);

} // namespace cbtool
