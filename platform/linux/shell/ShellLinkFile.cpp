#include "ShellLinkFile.h"

namespace vespern {

namespace {

constexpr std::uint32_t hasLinkInfo = 0x2;
constexpr std::uint32_t hasName = 0x4;
constexpr std::uint32_t hasWorkingDir = 0x10;
constexpr std::uint32_t hasArguments = 0x20;
constexpr std::uint32_t hasIconLocation = 0x40;
constexpr std::uint32_t forceNoLinkInfo = 0x100;

constexpr std::uint32_t headerSize = 0x4C;
constexpr std::uint8_t linkClsid[16]
    = { 0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 };
constexpr std::uint32_t fileAttributeNormal = 0x80;
constexpr std::uint32_t swShowNormal = 1;
constexpr std::uint32_t linkInfoHeaderSize = 0x1C;
constexpr std::uint32_t volumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t driveFixed = 3;
constexpr std::uint32_t volumeIdHeaderSize = 0x10;

class Writer {
public:
    void u16(std::uint32_t value)
    {
        bytes.push_back(static_cast<std::uint8_t>(value));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void u32(std::uint32_t value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }
    void zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void raw(const std::uint8_t* data, std::size_t size) { bytes.insert(bytes.end(), data, data + size); }
    void text(const std::string& value) { bytes.insert(bytes.end(), value.begin(), value.end()); }
    void zeroTerminated(const std::string& value)
    {
        text(value);
        bytes.push_back(0);
    }
    void counted(const std::string& value)
    {
        u16(static_cast<std::uint32_t>(value.size()));
        text(value);
    }

    std::vector<std::uint8_t> bytes;
};

void writeLinkInfo(Writer& out, const std::string& localBasePath)
{
    const std::string volumeLabel;
    const std::uint32_t volumeIdSize = volumeIdHeaderSize + static_cast<std::uint32_t>(volumeLabel.size() + 1);
    const std::uint32_t localBasePathOffset = linkInfoHeaderSize + volumeIdSize;
    const std::uint32_t suffixOffset = localBasePathOffset + static_cast<std::uint32_t>(localBasePath.size() + 1);
    const std::uint32_t size = suffixOffset + 1;
    out.u32(size);
    out.u32(linkInfoHeaderSize);
    out.u32(volumeIdAndLocalBasePath);
    out.u32(linkInfoHeaderSize); // VolumeIDOffset
    out.u32(localBasePathOffset);
    out.u32(0); // CommonNetworkRelativeLinkOffset
    out.u32(suffixOffset);
    out.u32(volumeIdSize);
    out.u32(driveFixed);
    out.u32(0); // DriveSerialNumber
    out.u32(volumeIdHeaderSize); // VolumeLabelOffset
    out.zeroTerminated(volumeLabel);
    out.zeroTerminated(localBasePath);
    out.zeroTerminated(""); // CommonPathSuffix
}

} // namespace

std::vector<std::uint8_t> SerialiseShellLink(const ShellLinkFields& fields)
{
    std::uint32_t flags = hasName | hasWorkingDir | hasIconLocation;
    flags |= fields.targetPath.empty() ? forceNoLinkInfo : hasLinkInfo;
    if (!fields.arguments.empty())
        flags |= hasArguments;

    Writer out;
    out.u32(headerSize);
    out.raw(linkClsid, sizeof linkClsid);
    out.u32(flags);
    out.u32(fileAttributeNormal);
    out.zeros(24); // creation, access and write times (8 bytes each): unknown
    out.u32(0); // FileSize
    out.u32(static_cast<std::uint32_t>(fields.iconIndex));
    out.u32(swShowNormal);
    out.u16(0); // HotKey
    out.zeros(2 + 4 + 4); // reserved
    if (flags & hasLinkInfo)
        writeLinkInfo(out, fields.targetPath);
    out.counted(fields.description);
    out.counted(fields.workingDirectory);
    if (flags & hasArguments)
        out.counted(fields.arguments);
    out.counted(fields.iconPath);
    out.u32(0); // TerminalBlock
    return std::move(out.bytes);
}

} // namespace vespern
