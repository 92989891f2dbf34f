#include "platform/spreadsheet/detail/CellTable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavex::sheet::detail {
namespace {

using Table = CellTable<std::string>;

std::vector<CellKey> keysOf(const Table& table) {
    std::vector<CellKey> keys;
    for (const auto& [key, value] : table) {
        keys.push_back(key);
    }
    return keys;
}

TEST(CellTableTest, FindsWhatWasStoredAndNothingElse) {
    Table table;
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.find(cellKey(1, 1)), table.end());
    EXPECT_EQ(table.get(cellKey(1, 1)), nullptr);

    table[cellKey(1, 1)] = "A1";
    table[cellKey(1, 3)] = "C1";
    table[cellKey(70, 2)] = "B70";  // another page
    table[cellKey(1'048'576, 16'384)] = "last";

    EXPECT_EQ(table.size(), 4u);
    EXPECT_EQ(table.at(cellKey(1, 3)), "C1");
    EXPECT_EQ(*table.get(cellKey(70, 2)), "B70");
    EXPECT_EQ(table.find(cellKey(1'048'576, 16'384))->second, "last");
    EXPECT_EQ(table.find(cellKey(1'048'576, 16'384))->first, cellKey(1'048'576, 16'384));
    EXPECT_EQ(table.count(cellKey(1, 2)), 0u);    // a gap in a row that holds cells
    EXPECT_EQ(table.count(cellKey(2, 1)), 0u);    // an empty row of a page that holds cells
    EXPECT_EQ(table.count(cellKey(500, 1)), 0u);  // a page that holds nothing
    EXPECT_EQ(table.get(cellKey(1, 2)), nullptr);
    EXPECT_THROW(table.at(cellKey(1, 2)), std::out_of_range);
}

TEST(CellTableTest, FindsCellsInRunsAndAcrossGaps) {
    // A row of neighbours after a gap, then one more cell further on; another row whose run
    // starts late. Neighbours are found by their distance from the row's first cell, the rest
    // by a search: both must agree on what is there and what is not.
    Table table;
    for (int c : {2, 3, 4, 7}) {
        table[cellKey(5, c)] = "r5c" + std::to_string(c);
    }
    for (int c : {10, 11, 12}) {
        table[cellKey(6, c)] = "r6c" + std::to_string(c);
    }
    for (int c = 1; c <= 14; ++c) {
        const bool inRow5 = c == 2 || c == 3 || c == 4 || c == 7;
        const bool inRow6 = c >= 10 && c <= 12;
        const std::string* five = table.get(cellKey(5, c));
        const std::string* six = table.get(cellKey(6, c));
        ASSERT_EQ(five != nullptr, inRow5) << c;
        ASSERT_EQ(six != nullptr, inRow6) << c;
        if (five != nullptr) {
            EXPECT_EQ(*five, "r5c" + std::to_string(c));
        }
        if (six != nullptr) {
            EXPECT_EQ(*six, "r6c" + std::to_string(c));
        }
    }
    table.erase(cellKey(5, 3));  // the run broken: 4 now sits where 3 was
    EXPECT_EQ(table.get(cellKey(5, 3)), nullptr);
    EXPECT_EQ(*table.get(cellKey(5, 4)), "r5c4");
    EXPECT_EQ(*table.get(cellKey(5, 7)), "r5c7");
}

TEST(CellTableTest, EmplaceKeepsAnEntryThatIsAlreadyThere) {
    Table table;
    auto [first, inserted] = table.emplace(cellKey(3, 4), "old");
    EXPECT_TRUE(inserted);
    EXPECT_EQ(first->second, "old");
    auto [again, insertedAgain] = table.emplace(cellKey(3, 4), "new");
    EXPECT_FALSE(insertedAgain);
    EXPECT_EQ(again->second, "old");
    EXPECT_EQ(table.size(), 1u);
}

TEST(CellTableTest, IteratesRowByRowLeftToRight) {
    Table table;
    const std::vector<CellKey> inserted{cellKey(200, 5), cellKey(2, 9),   cellKey(2, 1),
                                        cellKey(64, 3),  cellKey(63, 30), cellKey(1, 16'384)};
    for (CellKey key : inserted) {
        table[key] = "x";
    }
    EXPECT_EQ(keysOf(table),
              (std::vector<CellKey>{cellKey(1, 16'384), cellKey(2, 1), cellKey(2, 9),
                                    cellKey(63, 30), cellKey(64, 3), cellKey(200, 5)}));
}

TEST(CellTableTest, ValuesStayPutWhileOtherCellsComeAndGo) {
    // A cell being evaluated is held by reference while its function writes other cells.
    Table table;
    std::string& held = table[cellKey(10, 10)];
    held = "held";
    for (int column = 1; column <= 300; ++column) {
        table[cellKey(10, column)] = "same row";
    }
    for (int row = 1; row <= 1000; ++row) {
        table[cellKey(row, 2)] = "other rows";
    }
    for (int row = 1; row <= 1000; row += 3) {
        table.erase(cellKey(row, 2));
    }
    EXPECT_EQ(&held, table.get(cellKey(10, 10)));
    EXPECT_EQ(held, "same row");
}

TEST(CellTableTest, ErasingLeavesTheRestFindable) {
    Table table;
    for (int row = 1; row <= 130; ++row) {
        table[cellKey(row, 1)] = std::to_string(row);
    }
    // The whole first page goes, then a cell through an iterator.
    for (int row = 1; row <= 64; ++row) {
        EXPECT_EQ(table.erase(cellKey(row, 1)), 1u);
    }
    EXPECT_EQ(table.erase(cellKey(1, 1)), 0u);
    table.erase(table.find(cellKey(100, 1)));
    EXPECT_EQ(table.size(), 65u);
    EXPECT_EQ(table.get(cellKey(64, 1)), nullptr);
    EXPECT_EQ(table.get(cellKey(100, 1)), nullptr);
    EXPECT_EQ(table.at(cellKey(65, 1)), "65");
    EXPECT_EQ(table.at(cellKey(130, 1)), "130");
    EXPECT_EQ(keysOf(table).front(), cellKey(65, 1));

    // The last pages go: iteration and look-ups beyond them find nothing.
    for (int row = 65; row <= 130; ++row) {
        table.erase(cellKey(row, 1));
    }
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.begin(), table.end());
    EXPECT_EQ(table.get(cellKey(130, 1)), nullptr);
    table[cellKey(5, 5)] = "again";
    EXPECT_EQ(keysOf(table), std::vector<CellKey>{cellKey(5, 5)});
}

TEST(CellTableTest, CopiesAreDeepAndMovesEmptyTheSource) {
    Table table;
    table[cellKey(1, 1)] = "one";
    table[cellKey(99, 7)] = "two";
    Table copy = table;
    copy[cellKey(1, 1)] = "changed";
    EXPECT_EQ(table.at(cellKey(1, 1)), "one");
    EXPECT_EQ(copy.size(), 2u);

    Table moved = std::move(table);
    EXPECT_EQ(moved.at(cellKey(99, 7)), "two");
    EXPECT_TRUE(table.empty());  // NOLINT(bugprone-use-after-move): moved-from is empty
    EXPECT_EQ(table.get(cellKey(99, 7)), nullptr);

    copy = moved;
    EXPECT_EQ(copy.at(cellKey(1, 1)), "one");
    copy.clear();
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(copy.begin(), copy.end());
}

// A walk over an area without a look-up per cell, to its end.
template <typename Visit>
void walk(Table& table, int firstRow, int lastRow, int first, int last, Visit&& visit) {
    table.forEachInArea(firstRow, lastRow, first, last,
                        [&](int row, int column, std::string& value) {
                            visit(row, column, value);
                            return true;
                        });
}

// Along a row: what the visit adds further along the row is visited, what it adds behind or
// erases further along is not, and no cell is seen twice.
TEST(CellTableTest, AWalkAlongARowFollowsTheEditsItsVisitsMake) {
    Table table;
    for (int column : {2, 3, 5, 8, 9}) {
        table[cellKey(4, column)] = "c" + std::to_string(column);
    }
    table[cellKey(3, 4)] = "row above";
    table[cellKey(5, 4)] = "row below";
    std::vector<int> seen;
    walk(table, 4, 4, 3, 9, [&](int row, int column, std::string& value) {
        EXPECT_EQ(row, 4);
        seen.push_back(column);
        EXPECT_EQ(value, "c" + std::to_string(column));
        if (column == 3) {
            table[cellKey(4, 1)] = "behind";  // before the walk's place
            table[cellKey(4, 4)] = "c4";      // just ahead
            table.erase(cellKey(4, 8));       // further along
            for (int c = 20; c < 90; ++c) {   // the row outgrows its place
                table[cellKey(4, c)] = "far";
            }
        }
    });
    EXPECT_EQ(seen, (std::vector<int>{3, 4, 5, 9}));
    // A row of a page that holds nothing, and a page that does not exist.
    walk(table, 6, 6, 1, 100, [&](int, int, std::string&) { ADD_FAILURE(); });
    walk(table, 100'000, 100'000, 1, 100, [&](int, int, std::string&) { ADD_FAILURE(); });
    // A visit that empties the whole table ends the walk.
    seen.clear();
    walk(table, 1, 1'000'000, 1, 100, [&](int, int column, std::string&) {
        seen.push_back(column);
        table.clear();
    });
    EXPECT_EQ(seen, (std::vector<int>{4}));
}

// Over many rows: row by row, left to right, pages without cells and rows past the last cell
// skipped; rows the visits fill further down are visited, rows they empty are not; a visit that
// says no ends the walk.
TEST(CellTableTest, AWalkOverAnAreaGoesRowByRowAndFollowsTheEdits) {
    Table table;
    const std::vector<int> rows{1, 2, 63, 64, 65, 70, 130, 5'000, 300'000};
    for (int row : rows) {
        for (int column : {1, 2, 3, 7}) {
            table[cellKey(row, column)] = std::to_string(row) + ":" + std::to_string(column);
        }
    }
    std::vector<std::string> seen;
    table.forEachInArea(1, 1'048'576, 2, 3, [&](int row, int column, std::string& value) {
        EXPECT_EQ(value, std::to_string(row) + ":" + std::to_string(column));
        seen.push_back(value);
        if (row == 2 && column == 2) {
            table[cellKey(66, 2)] = "66:2";  // a row further down, on the next page
            table.erase(cellKey(70, 2));     // and one emptied there
            table.erase(cellKey(70, 3));
            table[cellKey(1, 3)] = "1:3 again";  // a row already walked
        }
        return row < 5'000;
    });
    EXPECT_EQ(seen,
              (std::vector<std::string>{"1:2", "1:3", "2:2", "2:3", "63:2", "63:3", "64:2", "64:3",
                                        "65:2", "65:3", "66:2", "130:2", "130:3", "5000:2"}));
}

TEST(CellTableTest, AgreesWithAnOrderedMapUnderRandomEdits) {
    // Wide rows (searched by halves), short ones (scanned) and rows that outgrow the room a page
    // keeps for them, inserted and erased in any order; erased places are reused.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> row(1, 300);
    std::uniform_int_distribution<int> column(1, 60);
    std::uniform_int_distribution<int> action(0, 3);
    Table table;
    std::map<CellKey, std::string> model;
    for (int step = 0; step < 20'000; ++step) {
        const CellKey key = cellKey(row(random), column(random));
        if (action(random) == 0) {
            EXPECT_EQ(table.erase(key), model.erase(key));
        } else {
            // Long enough to live on the heap, so that a lost or doubly freed entry shows.
            const std::string value = "a value stored at step " + std::to_string(step);
            table[key] = value;
            model[key] = value;
        }
    }
    ASSERT_EQ(table.size(), model.size());
    std::vector<std::pair<CellKey, std::string>> seen;
    for (const auto& [key, value] : table) {
        seen.emplace_back(key, value);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<CellKey, std::string>>(model.begin(), model.end())));
    for (int r = 1; r <= 300; ++r) {
        for (int c = 1; c <= 60; ++c) {
            const CellKey key = cellKey(r, c);
            const auto it = model.find(key);
            const std::string* found = table.get(key);
            ASSERT_EQ(found != nullptr, it != model.end()) << r << "," << c;
            if (found != nullptr) {
                EXPECT_EQ(*found, it->second);
            }
        }
    }
}

}  // namespace
}  // namespace kavex::sheet::detail
