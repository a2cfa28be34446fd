#include "DesktopActionFiles.h"

#include "TRegistry.h"
#include "VespernError.h"
#include "platform/Win32Constants.h"

namespace vespern {

namespace {

// Releases an interface pointer when the operation ends, however it ends.
class ComReference {
public:
    explicit ComReference(PowerPlatform& platform)
        : platform_(platform)
    {
    }
    ~ComReference()
    {
        if (pointer != 0)
            platform_.Release(pointer);
    }
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;

    ComObject pointer = 0;

private:
    PowerPlatform& platform_;
};

std::string folderOf(const std::string& path)
{
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return {};
    return path.substr(0, separator == 0 ? 1 : separator);
}

std::string iconPathFor(const std::string& executable)
{
    const auto separator = executable.find_last_of("\\/");
    const std::string folder = separator == std::string::npos ? std::string() : executable.substr(0, separator + 1);
    return folder + ActionFileIconName;
}

void queryInterface(PowerPlatform& platform, ComObject object, const char* iid, ComReference& result)
{
    const std::int32_t status = platform.QueryInterface(object, iid, result.pointer);
    if (status != w32::SOk)
        throw VespernError(platform.SysErrorMessage(status));
}

} // namespace

void CreateShellLink(PowerPlatform& platform, const std::string& workingDirectory, const std::string& target,
    const std::string& arguments, const std::u16string& linkFile, const std::string& description,
    const std::string& iconPath, std::int32_t iconIndex)
{
    ComReference object(platform);
    const std::int32_t created = platform.CoCreateInstance(
        w32::ClsidShellLink, w32::ClsctxInprocServer | w32::ClsctxLocalServer, w32::IidIUnknown, object.pointer);
    if (created != w32::SOk) {
        object.pointer = 0;
        throw VespernError(platform.SysErrorMessage(created) + ", ClassID: " + w32::ClsidShellLink);
    }
    ComReference link(platform);
    ComReference file(platform);
    queryInterface(platform, object.pointer, w32::IidIShellLinkA, link);
    queryInterface(platform, object.pointer, w32::IidIPersistFile, file);

    platform.IShellLinkA_SetArguments(link.pointer, arguments);
    platform.IShellLinkA_SetPath(link.pointer, target);
    platform.IShellLinkA_SetWorkingDirectory(link.pointer, workingDirectory);
    platform.IShellLinkA_SetDescription(link.pointer, description);
    platform.IShellLinkA_SetIconLocation(link.pointer, iconPath, iconIndex);

    // The folder the link goes into, one level made when missing.
    const std::string folder = folderOf(platform.WideCharToMultiByte(w32::CpAcp, linkFile));
    const std::uint32_t attributes = platform.GetFileAttributesA(folder);
    if (attributes == w32::InvalidFileAttributes || (attributes & w32::FileAttributeDirectory) == 0)
        platform.CreateDirectoryA(folder);
    platform.IPersistFile_Save(file.pointer, linkFile, false);
}

void UpdateDesktopActionFile(PowerPlatform& platform, const DesktopActionFile& row, bool ticked)
{
    TRegistry registry(platform);
    registry.OpenKey(ShellFoldersKeyPath, true);
    const std::string desktop = registry.ReadString("desktop");
    // Without a desktop folder the paths would name the file system's root.
    if (desktop.empty())
        throw VespernError("The desktop folder is not known, so no desktop shortcut was changed");
    const std::string linkFile = desktop + std::string(row.fileName);
    if (ticked) {
        const std::string executable = platform.GetModuleFileNameA(0);
        CreateShellLink(platform, desktop + "\\", executable, "", platform.MultiByteToWideChar(w32::CpAcp, linkFile),
            std::string(row.description), iconPathFor(executable), 0);
    } else {
        platform.DeleteFileA(linkFile);
    }
    registry.CloseKey();
}

} // namespace vespern
