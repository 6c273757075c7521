#pragma once
// Program-wide state of one run of the desktop tool: the device table and its selection, the
// configuration document with the editor's state. It lives on the user-interface thread; the
// report listener keeps its own synchronised table and never touches this object. The flows
// get from it only what they work on: target() and the document.
#include <vector>

#include "core/flows/Document.h"
#include "core/net/NetworkOptions.h"
#include "core/text/UiText.h"

namespace kvt {

struct Session : ConfigDocument {
    Lang lang = Lang::Zh;
    NetworkOptions network;

    // Device table: row i of the list is devices[i].
    std::vector<CEquipment> devices;
    // The row of the device the flows talk to, -1 for none. Set by a click on a selectable row,
    // cleared after every search.
    int selectedIndex = -1;

    bool configChanged = false;  // edited in the editor since it opened

    const CEquipment* selectedDevice() const;
    // What the flows talk to: the selected device, over the network options.
    FlowTarget target() const;
    // The selection rule of the device list (a click on row `row`, -1 for empty space): a row
    // the flows may not talk to is never selected.
    using Selection = kvt::Selection;
    Selection selectRow(int row);
    // After every search: no selection, so that nothing acts on a row that the new table may
    // not hold.
    void clearSelection() { selectedIndex = -1; }
};

}  // namespace kvt
