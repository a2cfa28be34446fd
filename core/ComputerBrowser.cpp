#include "ComputerBrowser.h"

#include "platform/Win32Constants.h"

#include <algorithm>

namespace vespern {

namespace {

// Hands an identifier list back to the shell's allocator when it goes out of scope.
class OwnedIdList {
public:
    OwnedIdList(Shell& platform, ItemIdList list)
        : platform_(platform)
        , list_(list)
    {
    }
    OwnedIdList(const OwnedIdList&) = delete;
    OwnedIdList& operator=(const OwnedIdList&) = delete;
    ~OwnedIdList()
    {
        if (list_ != 0)
            platform_.SHGetMallocFree(list_);
    }

private:
    Shell& platform_;
    ItemIdList list_;
};

} // namespace

ComputerBrowser::ComputerBrowser(Shell& platform, std::string& clientName)
    : platform_(platform)
    , clientName_(clientName)
{
}

void ComputerBrowser::BitBtn5Click()
{
    std::string name;
    BrowseForComputer("Select Computer", name);
    if (!name.empty())
        clientName_ = "\\\\" + name;
}

bool ComputerBrowser::BrowseForComputer(const std::string& title, std::string& name)
{
    name.clear();
    ItemIdList network = 0;
    if (platform_.SHGetSpecialFolderLocation(Window::Application, w32::CsidlNetwork, network) != w32::SOk)
        return false;
    const OwnedIdList ownedNetwork(platform_, network);

    const BrowseInfo info { Window::Application, network, title, w32::BifBrowseForComputer };
    DisplayNameBuffer displayName {};
    // The browser is modal: the program's other windows take no input until it closes.
    const ItemIdList chosen = platform_.SHBrowseForFolderA(info, displayName);
    if (chosen == 0)
        return false;
    // The chosen item's list belongs to the caller as well; keeping it would leak one per browse.
    const OwnedIdList ownedChosen(platform_, chosen);
    auto* const end = std::find(displayName.begin(), displayName.end(), '\0');
    name.assign(displayName.begin(), end);
    return true;
}

} // namespace vespern
