#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/spreadsheet/Range.h"

namespace kavex::sheet {

// One hyperlink of a sheet. A default-constructed Hyperlink is Nothing.
class Hyperlink {
  public:
    Hyperlink() = default;
    Hyperlink(std::shared_ptr<detail::SheetData> sheet, std::uint64_t id)
        : sheet_(std::move(sheet)), id_(id) {}

    bool isNothing() const { return sheet_ == nullptr; }
    explicit operator bool() const { return !isNothing(); }

    std::string address() const;
    void setAddress(const std::string& address);
    std::string subAddress() const;
    void setSubAddress(const std::string& subAddress);
    std::string screenTip() const;
    std::string textToDisplay() const;
    Range range() const;  // the anchor
    // Goes to the target (sheet activation, selection), then raises SheetFollowHyperlink.
    void follow();
    void delete_();

    std::uint64_t id() const { return id_; }

  private:
    std::shared_ptr<detail::SheetData> sheet_;
    std::uint64_t id_ = 0;
};

// The hyperlinks of a sheet, or those whose anchor lies in a range.
class Hyperlinks {
  public:
    Hyperlinks(std::shared_ptr<detail::SheetData> sheet, std::optional<Range> within)
        : sheet_(std::move(sheet)), within_(std::move(within)) {}
    // Those of one cell. A refresh asks every formula cell whether it has a link: the cell is
    // kept as it is, without a copy of its range.
    Hyperlinks(std::shared_ptr<detail::SheetData> sheet, const Area& cell)
        : sheet_(std::move(sheet)), cell_(cell) {}

    int count() const;
    Hyperlink item(int index) const;  // 1-based
    // Adds a link on the anchor (the anchor's first cell). The cell keeps its content unless
    // textToDisplay is given.
    Hyperlink add(const Range& anchor, const std::string& address,
                  const std::string& subAddress = "", const std::string& screenTip = "",
                  const std::string& textToDisplay = "");
    void delete_();

  private:
    // The areas the links are limited to; nullptr for the whole sheet.
    const std::vector<Area>* limit(std::vector<Area>& scratch) const;

    std::shared_ptr<detail::SheetData> sheet_;
    std::optional<Range> within_;
    std::optional<Area> cell_;
};

}  // namespace kavex::sheet
