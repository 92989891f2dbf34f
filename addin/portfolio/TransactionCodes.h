#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kavex::addin::portfolio {

// What a transaction does to the books.
enum class Effect {
    CashIn,        // money put into the portfolio
    CashOut,       // money taken out
    Open,          // opens a lot of its position
    Close,         // uses up open lots of its position, first in first out
    DividendCash,  // cash paid on the shares held
    Split,         // multiplies the shares of the open lots, divides their prices
};

// The side of a lot: "long" (shares owned) or "short" (shares borrowed and sold).
enum class Position { None, Long, Short };

// One transaction code with the type text shown in the sheets.
struct TransactionType {
    short code;
    std::string_view name;
    Position position;
    Effect effect;
};

// The transaction codes the portfolio books know.
inline constexpr TransactionType kTransactionTypes[] = {
    {1, "Add Cash", Position::None, Effect::CashIn},
    {2, "Withdraw Cash", Position::None, Effect::CashOut},
    {3, "Buy", Position::Long, Effect::Open},
    {4, "Sell", Position::Long, Effect::Close},
    {5, "Sell Short", Position::Short, Effect::Open},
    {6, "Cover Short", Position::Short, Effect::Close},
    {7, "Dividend", Position::None, Effect::DividendCash},
    {8, "Split", Position::None, Effect::Split},
    {11, "Dividend Cash", Position::None, Effect::DividendCash},
    {12, "Dividend Stocks", Position::Long, Effect::Open},
};

// The type of a code; nullopt for a code the books do not know.
std::optional<TransactionType> TypeOfCode(short code);
// The type whose text this is, blanks around it and letter case aside.
std::optional<TransactionType> TypeOfName(std::string_view name);

// "long", "short" or "" as the sheets show a position.
std::string_view PositionText(Position position);

}  // namespace kavex::addin::portfolio
