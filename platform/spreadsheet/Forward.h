#pragma once

#include <memory>

namespace kavex::sheet {

class Application;
class ApplicationEvents;
class Workbook;
class Workbooks;
class Worksheet;
class Worksheets;
class Range;
class Name;
class Names;
class Hyperlink;
class Hyperlinks;
class Comment;
class Comments;
class Font;
class Characters;
class Interior;
class Borders;
class FormatCondition;
class FormatConditions;
class OLEObject;
class OLEObjects;
class AddIn;
class AddIns;
class VBProject;
class References;

namespace detail {
struct AppState;
struct BookData;
struct SheetData;
}  // namespace detail

}  // namespace kavex::sheet
