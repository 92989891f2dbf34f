#include "platform/spreadsheet/OLEObjects.h"

#include <algorithm>
#include <cmath>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

OleData& objectOf(const std::shared_ptr<SheetData>& sheet, std::uint64_t id) {
    if (!sheet || !sheet->alive) {
        failObjectGone();
    }
    for (auto& o : sheet->oleObjects) {
        if (o.id == id) {
            return o;
        }
    }
    failObjectGone();
}

// An object's place and size are finite numbers: no workbook file could hold any other.
double placed(double value, const char* property) {
    if (!std::isfinite(value)) {
        fail(base::errors::ApplicationDefined,
             std::string("Unable to set the ") + property + " property of the OLEObject class");
    }
    return value;
}

}  // namespace

std::string OLEObject::name() const {
    return objectOf(sheet_, id_).name;
}
std::string OLEObject::progId() const {
    return objectOf(sheet_, id_).progId;
}
double OLEObject::left() const {
    return objectOf(sheet_, id_).left;
}
void OLEObject::setLeft(double value) {
    objectOf(sheet_, id_).left = placed(value, "Left");
}
double OLEObject::top() const {
    return objectOf(sheet_, id_).top;
}
void OLEObject::setTop(double value) {
    objectOf(sheet_, id_).top = placed(value, "Top");
}
double OLEObject::width() const {
    return objectOf(sheet_, id_).width;
}
void OLEObject::setWidth(double value) {
    objectOf(sheet_, id_).width = placed(value, "Width");
}
double OLEObject::height() const {
    return objectOf(sheet_, id_).height;
}
void OLEObject::setHeight(double value) {
    objectOf(sheet_, id_).height = placed(value, "Height");
}
bool OLEObject::visible() const {
    return objectOf(sheet_, id_).visible;
}
void OLEObject::setVisible(bool value) {
    objectOf(sheet_, id_).visible = value;
}

void OLEObject::delete_() {
    objectOf(sheet_, id_);
    std::erase_if(sheet_->oleObjects, [&](const OleData& o) { return o.id == id_; });
    sheet_->app().touch(*sheet_);
}

int OLEObjects::count() const {
    if (!sheet_ || !sheet_->alive) {
        failObjectGone();
    }
    return static_cast<int>(sheet_->oleObjects.size());
}

OLEObject OLEObjects::item(int index) const {
    if (index < 1 || index > count()) {
        fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
    return OLEObject(sheet_, sheet_->oleObjects[static_cast<std::size_t>(index - 1)].id);
}

OLEObject OLEObjects::item(std::string_view name) const {
    count();
    for (const auto& o : sheet_->oleObjects) {
        if (base::equalsIgnoringCase(o.name, name)) {
            return OLEObject(sheet_, o.id);
        }
    }
    fail(base::errors::ApplicationDefined,
         "Unable to get the OLEObjects property of the Worksheet class");
}

OLEObject OLEObjects::add(const std::string& name, const std::string& progId, double left,
                          double top, double width, double height) {
    count();
    AppState& app = sheet_->app();
    std::string chosen = name;
    if (chosen.empty()) {
        chosen = "Object " + std::to_string(sheet_->oleObjects.size() + 1);
    }
    for (const auto& o : sheet_->oleObjects) {
        if (base::equalsIgnoringCase(o.name, chosen)) {
            fail(base::errors::ApplicationDefined, "That name is already taken.");
        }
    }
    OleData o{app.newId(),
              chosen,
              progId,
              placed(left, "Left"),
              placed(top, "Top"),
              placed(width, "Width"),
              placed(height, "Height"),
              true};
    sheet_->oleObjects.push_back(o);
    app.touch(*sheet_);
    return OLEObject(sheet_, o.id);
}

}  // namespace kavex::sheet
