#include "platform/dialog.h"

#include "platform/dialog_view.h"

namespace {

ModalDialogRunner installedRunner = nullptr;

}  // namespace

void DialogControl::clearItems() {
    items.clear();
    itemData.clear();
    selected = -1;
}

int DialogControl::addItem(const std::string& itemText, std::int64_t data) {
    items.push_back(itemText);
    itemData.push_back(data);
    return static_cast<int>(items.size()) - 1;
}

DialogControl* Dialog::control(int id) {
    if (id == kStaticControlId) {
        return nullptr;
    }
    for (DialogControl& candidate : controls) {
        if (candidate.id == id) {
            return &candidate;
        }
    }
    return nullptr;
}

RadioGroup radioGroupAround(const std::vector<DialogControl>& controls, std::size_t index) {
    std::size_t first = index;
    while (first > 0 && !controls[first].firstOfGroup &&
           controls[first - 1].kind == ControlKind::RadioButton) {
        --first;
    }
    std::size_t end = first + 1;
    while (end < controls.size() && controls[end].kind == ControlKind::RadioButton &&
           !controls[end].firstOfGroup) {
        ++end;
    }
    return RadioGroup{first, end};
}

void clickRadioButton(Dialog& dialog, int controlId) {
    std::size_t index = dialog.controls.size();
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        if (dialog.controls[i].id == controlId &&
            dialog.controls[i].kind == ControlKind::RadioButton) {
            index = i;
        }
    }
    if (index == dialog.controls.size() || !dialog.controls[index].enabled) {
        return;
    }
    const RadioGroup group = radioGroupAround(dialog.controls, index);
    for (std::size_t i = group.first; i < group.end; ++i) {
        dialog.controls[i].checked = i == index;
    }
}

void selectListItem(Dialog& dialog, int controlId, int item) {
    DialogControl* list = dialog.control(controlId);
    if (list != nullptr && list->kind == ControlKind::DropDownList && list->enabled && item >= 0 &&
        item < static_cast<int>(list->items.size())) {
        list->selected = item;
    }
}

int runModalDialog(WindowHandle owner, Dialog& dialog, DialogProcedure procedure, void* context) {
    return (installedRunner != nullptr ? installedRunner : runDialogOverWindow)(owner, dialog,
                                                                                procedure, context);
}

ModalDialogRunner setModalDialogRunner(ModalDialogRunner runner) {
    const ModalDialogRunner previous =
        installedRunner != nullptr ? installedRunner : runDialogOverWindow;
    installedRunner = runner;
    return previous;
}
