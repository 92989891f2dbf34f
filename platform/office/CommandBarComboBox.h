#pragma once

#include <string>
#include <vector>

#include "platform/office/CommandBarControl.h"

namespace kavex::office {

// A list on a bar: Edit (text only), DropDown (pick from the list) or ComboBox (pick or type).
// Items count from 1; ListIndex 0 means no item is selected.
class CommandBarComboBox : public CommandBarControl {
  public:
    CommandBarComboBox(MsoControlType type, int id, bool temporary, bool builtIn)
        : CommandBarControl(type, id, temporary, builtIn) {}

    // Adds at the end, or before the 1-based index (ListCount + 1 appends).
    void AddItem(std::string text, int index = 0);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    const std::string& List(int index) const;
    void setList(int index, std::string text);
    // Selecting by code raises no Change.
    int ListIndex() const;
    void setListIndex(int index);
    // The text shown: the selected item's, or what was set or typed.
    const std::string& Text() const;
    // Selects the first item with that text, else shows the text with no item selected.
    void setText(std::string text);

    void setOnChange(ChangeHandler handler);

    // The user picks item `index` (1-based): it is selected and, when that changed the text, the
    // combo's own Change handler, the handler bound to its tag and its OnAction macro run.
    // False when the control is not reachable (nothing happens).
    bool setListIndexByUser(int index);
    // The user types into an Edit or ComboBox control; a DropDown takes no typing (error 5).
    bool setTextByUser(std::string text);

  private:
    void checkIndex(int index, int last) const;
    void raiseChange();

    std::vector<std::string> items_;
    int listIndex_ = 0;
    std::string text_;
    ChangeHandler onChange_;
};

}  // namespace kavex::office
