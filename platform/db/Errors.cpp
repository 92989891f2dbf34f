#include "platform/db/Errors.h"

#include <sqlite3.h>

#include "platform/base/PlatformError.h"

namespace kavex::db {

void raise(long number, std::string description) {
    throw base::PlatformError(number, std::move(description));
}

void raiseSqlite(int resultCode, std::string description) {
    switch (resultCode & 0xff) {
        case SQLITE_ERROR:
            raise(errors::ErrorsInCommand, std::move(description));
        case SQLITE_CONSTRAINT:
            raise(errors::IntegrityViolation, std::move(description));
        case SQLITE_MISMATCH:
            raise(errors::CantConvertValue, std::move(description));
        default:
            raise(errors::Unspecified, std::move(description));
    }
}

}  // namespace kavex::db
