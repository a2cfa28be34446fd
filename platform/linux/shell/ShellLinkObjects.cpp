#include "ShellLinkObjects.h"

#include "platform/CodePageText.h"

#include "platform/Win32Constants.h"
#include "platform/linux/AtomicFile.h"

#include <algorithm>
#include <filesystem>

namespace vespern {

namespace {

constexpr std::int32_t eInvalidArg = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t ePointer = static_cast<std::int32_t>(0x80004003);

std::int32_t hresultFromWin32(std::int32_t error)
{
    return error == 0 ? w32::SOk
                      : static_cast<std::int32_t>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFF));
}

bool sameId(const std::string& a, const char* b)
{
    return a.size() == std::char_traits<char>::length(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string NativePath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

ShellLinkObjects::ShellLinkObjects(UserNoticeSink notices)
    : notices_(std::move(notices))
{
}

ShellLinkObjects::Object* ShellLinkObjects::find(ComObject pointer, Interface wanted)
{
    if ((pointer & 3) != wanted)
        return nullptr;
    const auto it = objects_.find(pointer >> 2);
    return it == objects_.end() ? nullptr : &it->second;
}

std::int32_t ShellLinkObjects::Create(const std::string& clsid, const std::string& iid, ComObject& object)
{
    object = 0;
    if (!sameId(clsid, w32::ClsidShellLink))
        return w32::RegdbEClassNotReg;
    const ComObject number = nextObject_++;
    objects_[number] = Object {};
    const std::int32_t result = QueryInterface(number << 2, iid, object);
    if (result != w32::SOk)
        objects_.erase(number);
    return result;
}

std::int32_t ShellLinkObjects::QueryInterface(ComObject object, const std::string& iid, ComObject& result)
{
    result = 0;
    const auto it = objects_.find(object >> 2);
    if (it == objects_.end())
        return ePointer;
    Interface wanted {};
    if (sameId(iid, w32::IidIUnknown))
        wanted = Unknown;
    else if (sameId(iid, w32::IidIShellLinkA))
        wanted = ShellLink;
    else if (sameId(iid, w32::IidIPersistFile))
        wanted = PersistFile;
    else
        return w32::ENoInterface;
    ++it->second.references;
    result = (object & ~ComObject { 3 }) | wanted;
    return w32::SOk;
}

std::uint32_t ShellLinkObjects::Release(ComObject object)
{
    const auto it = objects_.find(object >> 2);
    if (it == objects_.end() || it->second.references == 0)
        return 0;
    const std::uint32_t left = --it->second.references;
    if (left == 0)
        objects_.erase(it);
    return left;
}

std::int32_t ShellLinkObjects::setText(ComObject link, std::string ShellLinkFields::*field, const std::string& value)
{
    Object* object = find(link, ShellLink);
    if (!object)
        return ePointer;
    if (value.size() > ShellLinkMaxString)
        return eInvalidArg;
    object->fields.*field = value;
    return w32::SOk;
}

std::int32_t ShellLinkObjects::SetArguments(ComObject link, const std::string& arguments)
{
    return setText(link, &ShellLinkFields::arguments, arguments);
}

std::int32_t ShellLinkObjects::SetPath(ComObject link, const std::string& path)
{
    return setText(link, &ShellLinkFields::targetPath, NativePath(path));
}

std::int32_t ShellLinkObjects::SetWorkingDirectory(ComObject link, const std::string& directory)
{
    return setText(link, &ShellLinkFields::workingDirectory, NativePath(directory));
}

std::int32_t ShellLinkObjects::SetDescription(ComObject link, const std::string& description)
{
    return setText(link, &ShellLinkFields::description, description);
}

std::int32_t ShellLinkObjects::SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index)
{
    const std::int32_t result = setText(link, &ShellLinkFields::iconPath, NativePath(iconPath));
    if (result == w32::SOk)
        find(link, ShellLink)->fields.iconIndex = index;
    return result;
}

std::int32_t ShellLinkObjects::Save(ComObject file, const std::u16string& fileName)
{
    const Object* object = find(file, PersistFile);
    if (!object)
        return ePointer;
    const std::filesystem::path path = NativePath(CodePageFromUtf16(fileName));
    std::error_code error;
    if (path.filename().empty())
        return eInvalidArg;
    if (!std::filesystem::is_directory(path.parent_path().empty() ? "." : path.parent_path(), error))
        return hresultFromWin32(static_cast<std::int32_t>(w32::ErrorPathNotFound));
    const auto bytes = SerialiseShellLink(object->fields);
    const std::string content(bytes.begin(), bytes.end());
    std::string refusal;
    const int failure = WriteFileAtomically(path, content, nullptr, &refusal);
    if (!refusal.empty() && notices_)
        notices_({ NoticeKind::Error, RefusedWriteText(path, refusal) });
    return hresultFromWin32(Win32ErrorFromErrno(failure));
}

} // namespace vespern
