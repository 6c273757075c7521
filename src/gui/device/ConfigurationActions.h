#pragma once
// The main window's configuration buttons hand over to these flows (reading, New, Open, Save),
// which live with the editor and the device dialogs.

namespace kvt::gui {

class ConfigurationActions {
public:
    virtual ~ConfigurationActions() = default;
    virtual void userConfiguration() = 0;        // button 1087 and a double-click
    virtual void backgroundConfiguration() = 0;  // button 1021
    virtual void newConfiguration() = 0;         // button 1174
    virtual void openFile() = 0;                 // button 1006
    virtual void saveFile() = 0;                 // button 1108
};

}  // namespace kvt::gui
