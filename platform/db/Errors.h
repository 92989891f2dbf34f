#pragma once

#include <string>

namespace kavex::db {

// The error numbers the layer raises (as kavex::base::PlatformError), the ones ADO raises for the
// same faults. docs/database.md lists when each is raised.
namespace errors {
inline constexpr long Unspecified = -2147467259;         // 0x80004005
inline constexpr long ErrorsInCommand = -2147217900;     // 0x80040E14
inline constexpr long IntegrityViolation = -2147217873;  // 0x80040E2F
inline constexpr long CantConvertValue = -2147217913;    // 0x80040E07
inline constexpr long NoTransaction = -2147168242;       // 0x8004D00E
inline constexpr long WrongArguments = 3001;
inline constexpr long NoCurrentRecord = 3021;
inline constexpr long ItemNotFound = 3265;
inline constexpr long ObjectClosed = 3704;
inline constexpr long ObjectOpen = 3705;
inline constexpr long ProviderNotFound = 3706;
inline constexpr long InvalidConnection = 3709;
}  // namespace errors

[[noreturn]] void raise(long number, std::string description);
// Raises the error of a failed SQLite call: the number by its kind, the database's own words.
[[noreturn]] void raiseSqlite(int resultCode, std::string description);

}  // namespace kavex::db
