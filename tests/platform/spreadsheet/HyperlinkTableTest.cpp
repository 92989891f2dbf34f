#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/HyperlinkTable.h"
#include "tests/platform/spreadsheet/ErrorNumber.h"

namespace kavex::sheet {
namespace {

using detail::HyperlinkData;
using detail::HyperlinkTable;

// ---- The table against a plain list walked link by link -----------------------------------------

std::vector<std::uint64_t> idsOf(const std::vector<const HyperlinkData*>& links) {
    std::vector<std::uint64_t> ids;
    for (const HyperlinkData* l : links) {
        ids.push_back(l->id);
    }
    return ids;
}

std::vector<std::uint64_t> idsIn(const std::vector<HyperlinkData>& model,
                                 const std::vector<Area>& areas) {
    std::vector<std::uint64_t> ids;
    for (const HyperlinkData& l : model) {
        if (std::any_of(areas.begin(), areas.end(),
                        [&](const Area& a) { return a.contains(l.row, l.column); })) {
            ids.push_back(l.id);
        }
    }
    return ids;
}

void expectSame(const HyperlinkTable& table, const std::vector<HyperlinkData>& model, int step) {
    ASSERT_EQ(table.size(), model.size()) << "step " << step;
    auto it = table.begin();
    for (const HyperlinkData& l : model) {
        ASSERT_EQ(it->id, l.id) << "step " << step;
        ASSERT_EQ(it->row, l.row) << "step " << step;
        ASSERT_EQ(it->column, l.column) << "step " << step;
        ASSERT_EQ(it->subAddress, l.subAddress) << "step " << step;
        const HyperlinkData* found = table.find(l.id);
        ASSERT_NE(found, nullptr) << "step " << step;
        ASSERT_EQ(found->row, l.row) << "step " << step;
        ++it;
    }
    for (int r = 1; r <= 8; ++r) {
        for (int c = 1; c <= 4; ++c) {
            const std::vector<Area> cell{Area{r, c, r, c}};
            ASSERT_EQ(idsOf(table.at(r, c)), idsIn(model, cell)) << "step " << step;
            ASSERT_EQ(table.countAt(r, c), idsIn(model, cell).size()) << "step " << step;
            ASSERT_EQ(table.countWithin(cell), idsIn(model, cell).size()) << "step " << step;
        }
    }
}

std::vector<Area> randomAreas(std::mt19937& random) {
    std::uniform_int_distribution<int> row(1, 9), column(1, 5), howMany(1, 3), wide(0, 4);
    std::vector<Area> areas;
    const int n = howMany(random);
    for (int i = 0; i < n; ++i) {
        if (wide(random) == 0) {
            // Whole columns: more cells than links, so the links are walked.
            const int c = column(random);
            areas.push_back(Area{1, c, 1'048'576, c});
            continue;
        }
        const int r1 = row(random), r2 = row(random), c1 = column(random), c2 = column(random);
        areas.push_back(
            Area{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)});
    }
    return areas;
}

TEST(HyperlinkTableTest, FindsLinksByCellAndIdInTheOrderOfAPlainList) {
    std::mt19937 random(20240611);
    HyperlinkTable table;
    std::vector<HyperlinkData> model;
    std::uint64_t nextId = 1;
    std::uniform_int_distribution<int> op(0, 9), row(1, 8), column(1, 4);
    for (int step = 0; step < 4000; ++step) {
        switch (op(random)) {
            case 0:
            case 1:
            case 2: {  // add, the cell keeping what it holds (as a file may)
                HyperlinkData l{nextId++, row(random), column(random), "", std::to_string(step),
                                "",       ""};
                model.push_back(l);
                table.push_back(l);
                break;
            }
            case 3: {  // add in place of the cell's links
                HyperlinkData l{nextId++, row(random), column(random), "", std::to_string(step),
                                "",       ""};
                const std::size_t gone = std::erase_if(model, [&](const HyperlinkData& m) {
                    return m.row == l.row && m.column == l.column;
                });
                ASSERT_EQ(table.eraseAt(l.row, l.column), gone);
                model.push_back(l);
                table.push_back(l);
                break;
            }
            case 4: {  // delete one by id
                if (model.empty()) {
                    break;
                }
                const std::size_t i = random() % model.size();
                const std::uint64_t id = model[i].id;
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
                ASSERT_TRUE(table.erase(id));
                ASSERT_FALSE(table.erase(id));
                break;
            }
            case 5: {  // delete those of some areas
                const std::vector<Area> areas = randomAreas(random);
                const auto gone = idsIn(model, areas);
                ASSERT_EQ(idsOf(table.within(areas)), gone) << "step " << step;
                ASSERT_EQ(table.countWithin(areas), gone.size());
                std::erase_if(model, [&](const HyperlinkData& m) {
                    return std::find(gone.begin(), gone.end(), m.id) != gone.end();
                });
                ASSERT_EQ(table.eraseWithin(areas), gone.size());
                break;
            }
            case 6: {  // look up areas
                const std::vector<Area> areas = randomAreas(random);
                ASSERT_EQ(idsOf(table.within(areas)), idsIn(model, areas)) << "step " << step;
                ASSERT_EQ(table.countWithin(areas), idsIn(model, areas).size());
                break;
            }
            case 7: {  // rows move: one is deleted, those below move up
                const int gone = row(random);
                auto to = [&](int r, int c) -> std::optional<std::pair<int, int>> {
                    if (r == gone) {
                        return std::nullopt;
                    }
                    return std::pair{r > gone ? r - 1 : r, c};
                };
                std::vector<HyperlinkData> kept;
                for (HyperlinkData m : model) {
                    if (auto cell = to(m.row, m.column)) {
                        m.row = cell->first;
                        kept.push_back(m);
                    }
                }
                model = kept;
                table.relocate(gone, to);
                break;
            }
            case 8: {  // a row is inserted
                const int at = row(random);
                auto to = [&](int r, int c) -> std::optional<std::pair<int, int>> {
                    return std::pair{r >= at ? std::min(r + 1, 8) : r, c};
                };
                for (HyperlinkData& m : model) {
                    m.row = to(m.row, m.column)->first;
                }
                table.relocate(at, to);
                break;
            }
            default: {  // a text changes in place
                if (model.empty()) {
                    break;
                }
                HyperlinkData& m = model[random() % model.size()];
                m.subAddress = "edited " + std::to_string(step);
                table.find(m.id)->subAddress = m.subAddress;
                break;
            }
        }
        expectSame(table, model, step);
    }
}

TEST(HyperlinkTableTest, AMovedTableKeepsItsIndex) {
    HyperlinkTable table;
    table.push_back(HyperlinkData{7, 2, 3, "", "First", "", ""});
    table.push_back(HyperlinkData{8, 2, 3, "", "Second", "", ""});
    HyperlinkTable moved = std::move(table);
    ASSERT_EQ(moved.countAt(2, 3), 2u);
    EXPECT_EQ(moved.at(2, 3).front()->subAddress, "First");
    EXPECT_EQ(moved.find(8)->subAddress, "Second");
    EXPECT_EQ(moved.eraseAt(2, 3), 2u);
    EXPECT_TRUE(moved.empty());
}

// ---- Through the sheet --------------------------------------------------------------------------

class SheetLinksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        book = app.workbooks().add();
        sheet = app.activeSheet();
    }
    Range at(const std::string& reference) { return sheet.range(reference); }
    void link(const std::string& cell) { sheet.hyperlinks().add(at(cell), "", cell + "Link"); }
    // The sheet's links in their order, by sub-address.
    std::vector<std::string> order() const {
        std::vector<std::string> names;
        const Hyperlinks links = sheet.hyperlinks();
        for (int i = 1; i <= links.count(); ++i) {
            names.push_back(links.item(i).subAddress() + "@" + links.item(i).range().address());
        }
        return names;
    }

    Application app;
    Workbook book;
    Worksheet sheet;
};

TEST_F(SheetLinksTest, AReplacedLinkGoesLastAndADeletedOneLeavesTheOrder) {
    link("A1");
    link("B2");
    link("C3");
    link("D4");
    sheet.hyperlinks().add(at("B2"), "", "Again");
    EXPECT_EQ(order(), (std::vector<std::string>{"A1Link@$A$1", "C3Link@$C$3", "D4Link@$D$4",
                                                 "Again@$B$2"}));
    EXPECT_EQ(at("B2").hyperlinks().count(), 1);
    at("C3").hyperlinks().item(1).delete_();
    at("A1:A1").hyperlinks().delete_();
    EXPECT_EQ(order(), (std::vector<std::string>{"D4Link@$D$4", "Again@$B$2"}));
    EXPECT_EQ(at("C3").hyperlinks().count(), 0);
    EXPECT_EQ(at("A1:D4").hyperlinks().count(), 2);
    EXPECT_EQ(at("A1:D4").hyperlinks().item(1).subAddress(), "D4Link");
    EXPECT_EQ(at("A1:D4").hyperlinks().item(2).subAddress(), "Again");
    EXPECT_EQ(errorNumber([&] { at("A1:D4").hyperlinks().item(3); }), 9);
    EXPECT_EQ(errorNumber([&] { sheet.hyperlinks().item(0); }), 9);
    EXPECT_EQ(errorNumber([&] { sheet.hyperlinks().item(3); }), 9);
}

TEST_F(SheetLinksTest, RowsInsertedAndDeletedMoveTheLinksInTheirOrder) {
    link("C5");
    link("A2");
    link("B4");
    link("A6");
    at("3:3").entireRow().delete_();  // nothing there: those below move up
    EXPECT_EQ(order(), (std::vector<std::string>{"C5Link@$C$4", "A2Link@$A$2", "B4Link@$B$3",
                                                 "A6Link@$A$5"}));
    at("3:3").entireRow().delete_();  // B3's link goes with its row
    at("2:2").entireRow().insert();
    EXPECT_EQ(order(), (std::vector<std::string>{"C5Link@$C$4", "A2Link@$A$3", "A6Link@$A$5"}));
    EXPECT_EQ(at("A2").hyperlinks().count(), 0);
    EXPECT_EQ(at("A3").hyperlinks().count(), 1);
    // The moved link is found at its new cell: a new one there replaces it.
    sheet.hyperlinks().add(at("C4"), "", "Instead");
    EXPECT_EQ(order(), (std::vector<std::string>{"A2Link@$A$3", "A6Link@$A$5", "Instead@$C$4"}));
    at("A5").entireRow().delete_();
    at("A3").hyperlinks().delete_();
    EXPECT_EQ(order(), (std::vector<std::string>{"Instead@$C$4"}));
}

TEST_F(SheetLinksTest, ASortedRangeTakesItsLinksAlongInRowOrder) {
    at("A1").setValue("Name");
    at("A2").setValue("delta");
    at("A3").setValue("alpha");
    at("A4").setValue("charlie");
    at("A5").setValue("bravo");
    link("E9");  // outside: keeps its place
    link("B4");
    link("C3");
    link("A3");
    link("B2");
    at("A1:C5").sort(at("A1"), xlAscending, xlYes);
    // alpha (row 3 → 2), bravo (5 → 3), charlie (4 → 4), delta (2 → 5); within a row the links
    // keep their order, and the sorted ones follow the others.
    EXPECT_EQ(order(), (std::vector<std::string>{"E9Link@$E$9", "C3Link@$C$2", "A3Link@$A$2",
                                                 "B4Link@$B$4", "B2Link@$B$5"}));
    EXPECT_EQ(at("C2").hyperlinks().count(), 1);
    EXPECT_EQ(at("C3").hyperlinks().count(), 0);
    EXPECT_EQ(at("A2:C2").hyperlinks().item(1).subAddress(), "C3Link");
    EXPECT_EQ(at("A2:C2").hyperlinks().item(2).subAddress(), "A3Link");
}

std::string tempFile(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / "kavex-sheet-links";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

TEST_F(SheetLinksTest, SavedAndOpenedTheLinksKeepTheirOrder) {
    link("D1");
    link("A7");
    link("B2");
    sheet.hyperlinks().add(at("D1"), "", "Later");
    const std::vector<std::string> before = order();
    const std::string path = tempFile("order.xls");
    book.saveAs(path);
    book.close();
    book = app.workbooks().open(path);
    sheet = book.activeSheet();
    EXPECT_EQ(order(), before);
    EXPECT_EQ(at("D1").hyperlinks().item(1).subAddress(), "Later");
}

TEST_F(SheetLinksTest, AFileWithTwoLinksOnOneCellKeepsBoth) {
    const std::string path = tempFile("two-on-one.xls");
    std::ofstream(path, std::ios::binary)
        << "{\"kavexWorkbook\": 1, \"sheets\": [{\"name\": \"S\", \"hyperlinks\": ["
           "{\"ref\": \"B2\", \"subAddress\": \"First\"},"
           "{\"ref\": \"A1\", \"subAddress\": \"Other\"},"
           "{\"ref\": \"B2\", \"subAddress\": \"Second\"}]}]}";
    book = app.workbooks().open(path);
    sheet = book.activeSheet();
    ASSERT_EQ(at("B2").hyperlinks().count(), 2);
    EXPECT_EQ(at("B2").hyperlinks().item(1).subAddress(), "First");
    EXPECT_EQ(at("B2").hyperlinks().item(2).subAddress(), "Second");
    app.followHyperlink(at("B2"));  // the first one is followed
    EXPECT_EQ(order(), (std::vector<std::string>{"First@$B$2", "Other@$A$1", "Second@$B$2"}));
    sheet.hyperlinks().add(at("B2"), "", "Only");
    EXPECT_EQ(order(), (std::vector<std::string>{"Other@$A$1", "Only@$B$2"}));
}

}  // namespace
}  // namespace kavex::sheet
