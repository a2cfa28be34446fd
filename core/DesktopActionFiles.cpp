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
    const std::string folder = folderOf(CodePageFromUtf16(linkFile));
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
        CreateShellLink(platform, desktop + "\\", executable, "", Utf16FromCodePage(linkFile),
            std::string(row.description), iconPathFor(executable), 0);
    } else {
        platform.DeleteFileA(linkFile);
    }
    registry.CloseKey();
}

std::u16string Utf16FromCodePage(std::string_view text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
        std::uint32_t code = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool valid = length > 1 && lead < 0xF5 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3Fu);
        }
        const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (!valid || code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        i += length;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

std::string CodePageFromUtf16(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00u);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

} // namespace vespern
