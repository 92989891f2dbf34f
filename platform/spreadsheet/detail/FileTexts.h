#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace kavex::sheet::detail {

// A workbook file is UTF-8 JSON, but a cell, a sheet name or any other text may hold bytes that
// are no UTF-8 (a byte from a feed). Such a text is written as an object {"bytes": "..."} in its
// place: its valid UTF-8 as it stands, each other byte as \xHH and each backslash as \\.
// Texts that are valid UTF-8 are written as they are.
using FileJson = nlohmann::ordered_json;

// Both walk a document by recursion: they are given only documents of bounded depth (one read from
// a file is refused beyond kMaxDocumentDepth as it is read; one written is the format's own).

// Replaces, throughout the document, each text that is not valid UTF-8 by its escaped form.
void escapeTexts(FileJson& root);

// The reverse, throughout a document just read. Returns the JSON pointer of an escaped text that
// is malformed, leaving the rest as it is.
std::optional<std::string> unescapeTexts(FileJson& root);

}  // namespace kavex::sheet::detail
