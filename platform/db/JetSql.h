#pragma once

#include <string>
#include <string_view>

namespace kavex::db {

// Rewrites the Jet SQL the add-in writes into SQL that SQLite runs, leaving quoted text, quoted
// names and bracketed names alone:
//   select [distinct] top N ...   ->  select [distinct] ... LIMIT N
//   #3/15/2007 10:30:00 AM#       ->  '2007-03-15 10:30:00'   (the stored date form)
//   a & b                         ->  a || b
// Now() and Date() need no rewriting: the connection defines them as functions.
std::string jetToSqlite(std::string_view statement);

}  // namespace kavex::db
