// libFuzzer target for the shell link file writer: any fields it may be given (texts of at most
// ShellLinkMaxString bytes, a target path without a zero byte, as paths are) make a file that a
// reader of the format reads back to the same fields, with nothing left over.

#include "platform/linux/shell/ShellLinkFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr std::uint32_t hasLinkTargetIdList = 0x1;
constexpr std::uint32_t hasLinkInfo = 0x2;
constexpr std::uint32_t hasName = 0x4;
constexpr std::uint32_t hasRelativePath = 0x8;
constexpr std::uint32_t hasWorkingDir = 0x10;
constexpr std::uint32_t hasArguments = 0x20;
constexpr std::uint32_t hasIconLocation = 0x40;
constexpr std::uint32_t isUnicode = 0x80;

// A reader of the format, independent of the writer: every read is checked against the end.
class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes)
        : bytes_(bytes)
    {
    }
    std::uint32_t u16()
    {
        require(at_ + 2 <= bytes_.size());
        const std::uint32_t value = bytes_[at_] | (bytes_[at_ + 1] << 8);
        at_ += 2;
        return value;
    }
    std::uint32_t u32()
    {
        const std::uint32_t low = u16();
        return low | (u16() << 16);
    }
    void skip(std::size_t count)
    {
        require(count <= bytes_.size() - at_);
        at_ += count;
    }
    std::string counted()
    {
        const std::size_t count = u16();
        require(count <= bytes_.size() - at_);
        std::string text(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
            bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
        at_ += count;
        return text;
    }
    // The local base path of the LinkInfo structure that starts here.
    std::string linkInfoPath()
    {
        const std::size_t start = at_;
        const std::uint32_t size = u32();
        require(size >= 0x1C && size <= bytes_.size() - start);
        skip(4 + 4 + 4); // header size, flags, VolumeIDOffset
        const std::uint32_t pathOffset = u32();
        require(pathOffset < size);
        std::string path;
        for (std::size_t i = start + pathOffset; bytes_.at(i) != 0; ++i) {
            require(i + 1 < start + size);
            path += static_cast<char>(bytes_[i]);
        }
        at_ = start + size;
        return path;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

vespern::ShellLinkFields readBack(const std::vector<std::uint8_t>& bytes)
{
    Reader in(bytes);
    require(in.u32() == 0x4C);
    in.skip(16); // the class identifier
    const std::uint32_t flags = in.u32();
    require((flags & (hasLinkTargetIdList | hasRelativePath | isUnicode)) == 0);
    in.skip(4 + 3 * 8 + 4); // attributes, times, file size
    vespern::ShellLinkFields fields;
    fields.iconIndex = static_cast<std::int32_t>(in.u32());
    in.skip(4 + 2 + 2 + 4 + 4); // show command, hot key, reserved
    if (flags & hasLinkInfo)
        fields.targetPath = in.linkInfoPath();
    if (flags & hasName)
        fields.description = in.counted();
    if (flags & hasWorkingDir)
        fields.workingDirectory = in.counted();
    if (flags & hasArguments)
        fields.arguments = in.counted();
    if (flags & hasIconLocation)
        fields.iconPath = in.counted();
    require(in.u32() == 0); // the terminal block
    require(in.atEnd());
    return fields;
}

bool same(const vespern::ShellLinkFields& a, const vespern::ShellLinkFields& b)
{
    return a.targetPath == b.targetPath && a.arguments == b.arguments && a.workingDirectory == b.workingDirectory
        && a.description == b.description && a.iconPath == b.iconPath && a.iconIndex == b.iconIndex;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    vespern::ShellLinkFields fields;
    fields.iconIndex = input.ConsumeIntegral<std::int32_t>();
    for (std::string* text : { &fields.targetPath, &fields.arguments, &fields.workingDirectory, &fields.description })
        *text = input.ConsumeRandomLengthString(vespern::ShellLinkMaxString);
    fields.iconPath = input.ConsumeRemainingBytesAsString();
    if (fields.targetPath.find('\0') != std::string::npos || fields.iconPath.size() > vespern::ShellLinkMaxString)
        return 0;
    require(same(readBack(vespern::SerialiseShellLink(fields)), fields));
    return 0;
}
