#pragma once

namespace kavex::addin::core {

// Creates a new connection in DBConnection to Kavex.mdb in the add-in's folder and opens it when
// the file exists; when it does not, logs "Database <path> file does not exist." at level 1 and
// leaves the connection unopened, so the caller's next statement fails on its own error path.
void OpenDBConnection();

}  // namespace kavex::addin::core
