#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/spreadsheet/Forward.h"

namespace kavex::sheet {

// An embedded object on a sheet (the add-in's advert browser controls): a name, a kind, a box
// and a visibility flag. Nothing runs inside it.
class OLEObject {
  public:
    OLEObject(std::shared_ptr<detail::SheetData> sheet, std::uint64_t id)
        : sheet_(std::move(sheet)), id_(id) {}

    std::string name() const;
    std::string progId() const;
    double left() const;
    void setLeft(double value);
    double top() const;
    void setTop(double value);
    double width() const;
    void setWidth(double value);
    double height() const;
    void setHeight(double value);
    bool visible() const;
    void setVisible(bool visible);
    void delete_();

  private:
    std::shared_ptr<detail::SheetData> sheet_;
    std::uint64_t id_;
};

class OLEObjects {
  public:
    explicit OLEObjects(std::shared_ptr<detail::SheetData> sheet) : sheet_(std::move(sheet)) {}

    int count() const;
    OLEObject item(int index) const;              // 1-based
    OLEObject item(std::string_view name) const;  // 1004 when there is none of that name
    OLEObject add(const std::string& name, const std::string& progId, double left, double top,
                  double width, double height);

  private:
    std::shared_ptr<detail::SheetData> sheet_;
};

}  // namespace kavex::sheet
