#pragma once

// The host's enumerated values, under the names the add-in's code uses for them.
namespace kavex::sheet {

// Calculation modes.
inline constexpr int xlCalculationAutomatic = -4105;
inline constexpr int xlCalculationManual = -4135;
inline constexpr int xlCalculationSemiautomatic = 2;

// Cursors.
inline constexpr int xlDefault = -4143;
inline constexpr int xlWait = 2;
inline constexpr int xlNorthwestArrow = 1;
inline constexpr int xlIBeam = 3;

// Window states.
inline constexpr int xlNormal = -4143;
inline constexpr int xlMinimized = -4140;
inline constexpr int xlMaximized = -4137;

// Cut-copy mode.
inline constexpr int xlCopy = 1;
inline constexpr int xlCut = 2;

// EnableCancelKey.
inline constexpr int xlDisabled = 0;
inline constexpr int xlInterrupt = 1;
inline constexpr int xlErrorHandler = 2;

// SpecialCells types.
inline constexpr int xlCellTypeFormulas = -4123;
inline constexpr int xlCellTypeConstants = 2;

// Sort.
inline constexpr int xlAscending = 1;
inline constexpr int xlDescending = 2;
inline constexpr int xlGuess = 0;
inline constexpr int xlYes = 1;
inline constexpr int xlNo = 2;
inline constexpr int xlTopToBottom = 1;

// Underline styles.
inline constexpr int xlUnderlineStyleNone = -4142;
inline constexpr int xlUnderlineStyleSingle = 2;
inline constexpr int xlUnderlineStyleDouble = -4119;
inline constexpr int xlUnderlineStyleSingleAccounting = 4;
inline constexpr int xlUnderlineStyleDoubleAccounting = 5;

// Colours and borders.
inline constexpr int xlColorIndexAutomatic = -4105;
inline constexpr int xlColorIndexNone = -4142;
inline constexpr int xlHairline = 1;
inline constexpr int xlThin = 2;
inline constexpr int xlMedium = -4138;
inline constexpr int xlThick = 4;

// Conditional formats.
inline constexpr int xlCellValue = 1;
inline constexpr int xlExpression = 2;
inline constexpr int xlBetween = 1;
inline constexpr int xlNotBetween = 2;
inline constexpr int xlEqual = 3;
inline constexpr int xlNotEqual = 4;
inline constexpr int xlGreater = 5;
inline constexpr int xlLess = 6;
inline constexpr int xlGreaterEqual = 7;
inline constexpr int xlLessEqual = 8;

// SaveAs access mode.
inline constexpr int xlNoChange = 1;

// The sheet's size.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

}  // namespace kavex::sheet
