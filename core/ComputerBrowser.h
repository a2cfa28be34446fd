#pragma once

#include "platform/Shell.h"

#include <string>

namespace vespern {

// The main window's "Browse" button: picks the client computer from the network through the
// system's computer browser and writes it, with the "\\" prefix, into the client-name edit.
class ComputerBrowser {
public:
    // clientName: the text of the client-name edit (Edit1).
    ComputerBrowser(Shell& platform, std::string& clientName);

    void BitBtn5Click();

    // Shows the modal browser titled title. True when the user chose a computer; name is then
    // its name without any prefix, and empty otherwise.
    bool BrowseForComputer(const std::string& title, std::string& name);

private:
    Shell& platform_;
    std::string& clientName_;
};

} // namespace vespern
