#pragma once

// The shell link class of the component object model, in-process: objects live in a table,
// each interface pointer is the object's number with the interface in its low bits.

#include "ShellLinkFile.h"
#include "platform/PowerPlatform.h"
#include "platform/UserNotice.h"

#include <map>
#include <string>

namespace vespern {

class ShellLinkObjects {
public:
    // notices: a file that was not written because of a symbolic link is told there.
    explicit ShellLinkObjects(UserNoticeSink notices = {});

    std::int32_t Create(const std::string& clsid, const std::string& iid, ComObject& object);
    std::int32_t QueryInterface(ComObject object, const std::string& iid, ComObject& result);
    std::uint32_t Release(ComObject object);

    std::int32_t SetArguments(ComObject link, const std::string& arguments);
    std::int32_t SetPath(ComObject link, const std::string& path);
    std::int32_t SetWorkingDirectory(ComObject link, const std::string& directory);
    std::int32_t SetDescription(ComObject link, const std::string& description);
    std::int32_t SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index);
    // Writes the link file (atomically); the directory must exist.
    std::int32_t Save(ComObject file, const std::u16string& fileName);

    std::size_t LiveObjects() const { return objects_.size(); }

private:
    enum Interface : ComObject { Unknown = 0, ShellLink = 1, PersistFile = 2 };
    struct Object {
        std::uint32_t references = 0;
        ShellLinkFields fields;
    };

    Object* find(ComObject pointer, Interface wanted);
    std::int32_t setText(ComObject link, std::string ShellLinkFields::*field, const std::string& value);

    UserNoticeSink notices_;
    std::map<ComObject, Object> objects_; // by object number
    ComObject nextObject_ = 0x40;
};

// "C:\dir\file" style separators as this system's.
std::string NativePath(std::string path);

} // namespace vespern
