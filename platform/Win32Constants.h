#pragma once

// Numeric values of the system interface, under names that cannot clash with the
// macros of the Windows headers (the Windows backend includes them).

#include <cstdint>

namespace vespern::w32 {

// GetVersionExA
inline constexpr std::uint32_t VerPlatformWin32s = 0;
inline constexpr std::uint32_t VerPlatformWin32Windows = 1;
inline constexpr std::uint32_t VerPlatformWin32Nt = 2;

// Token access and privilege attributes
inline constexpr std::uint32_t TokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t TokenQuery = 0x08;
inline constexpr std::uint32_t SePrivilegeEnabled = 2;

// ExitWindowsEx
inline constexpr std::uint32_t EwxLogoff = 0;
inline constexpr std::uint32_t EwxShutdown = 1;
inline constexpr std::uint32_t EwxReboot = 2;
inline constexpr std::uint32_t EwxForce = 4;
inline constexpr std::uint32_t EwxPoweroff = 8;

// Window messages
inline constexpr std::uint32_t WmNull = 0x0000;
inline constexpr std::uint32_t WmSysCommand = 0x0112;
inline constexpr std::uintptr_t ScMonitorPower = 0xF170;
inline constexpr std::uintptr_t ScScreenSave = 0xF140;
inline constexpr std::intptr_t MonitorPowerOn = -1;
inline constexpr std::intptr_t MonitorPowerLow = 1;
inline constexpr std::intptr_t MonitorPowerOff = 2;

// ShellExecuteA
inline constexpr std::int32_t SwHide = 0;
inline constexpr std::int32_t SwShow = 5;

// SHEmptyRecycleBinA
inline constexpr std::uint32_t SherbNoConfirmation = 1;
inline constexpr std::uint32_t SherbNoProgressUi = 2;
inline constexpr std::uint32_t SherbNoSound = 4;

// Locale
inline constexpr std::uint32_t LocaleUserDefault = 0x400;
inline constexpr std::uint32_t LocaleSDecimal = 0x0E;
inline constexpr std::uint32_t LocaleSTimeFormat = 0x1003;
inline constexpr std::uint32_t NormIgnoreCase = 1;
inline constexpr std::int32_t CstrLessThan = 1;
inline constexpr std::int32_t CstrEqual = 2;
inline constexpr std::int32_t CstrGreaterThan = 3;
inline constexpr std::uint32_t CpAcp = 0;

// Error codes
inline constexpr std::uint32_t ErrorSuccess = 0;
inline constexpr std::uint32_t ErrorFileNotFound = 2;
inline constexpr std::uint32_t ErrorPathNotFound = 3;
inline constexpr std::uint32_t ErrorAccessDenied = 5;
inline constexpr std::uint32_t ErrorInvalidHandle = 6;
inline constexpr std::uint32_t ErrorInvalidData = 13;
inline constexpr std::uint32_t ErrorWriteFault = 29;
inline constexpr std::uint32_t ErrorBufferOverflow = 111;
inline constexpr std::uint32_t ErrorDiskFull = 112;
inline constexpr std::uint32_t ErrorCallNotImplemented = 120;
inline constexpr std::uint32_t ErrorModNotFound = 126;
inline constexpr std::uint32_t ErrorProcNotFound = 127;
inline constexpr std::uint32_t ErrorAlreadyExists = 183;
inline constexpr std::uint32_t ErrorMoreData = 234;
inline constexpr std::uint32_t ErrorNotAllAssigned = 1300;
inline constexpr std::uint32_t ErrorNoSuchPrivilege = 1313;
inline constexpr std::uint32_t RpcSServerUnavailable = 1722;

// Registry
inline constexpr std::uint32_t HkeyClassesRoot = 0x80000000;
inline constexpr std::uint32_t HkeyCurrentUser = 0x80000001;
inline constexpr std::uint32_t HkeyLocalMachine = 0x80000002;
inline constexpr std::uint32_t KeyAllAccess = 0xF003F;
inline constexpr std::uint32_t RegOptionNonVolatile = 0;
inline constexpr std::uint32_t RegCreatedNewKey = 1;
inline constexpr std::uint32_t RegOpenedExistingKey = 2;
inline constexpr std::uint32_t RegNone = 0;
inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegExpandSz = 2;
inline constexpr std::uint32_t RegBinary = 3;
inline constexpr std::uint32_t RegDword = 4;

// Toolhelp
inline constexpr std::uint32_t Th32csSnapProcess = 2;
inline constexpr std::uint32_t ProcessEntry32Size = 296;
inline constexpr std::uint32_t ProcessEntry32NameOffset = 36;
inline constexpr std::uint32_t MaxPath = 260;

// NtQuerySystemInformation classes and record sizes
inline constexpr std::uint32_t SystemBasicInformation = 0;
inline constexpr std::uint32_t SystemPerformanceInformation = 2;
inline constexpr std::uint32_t SystemTimeOfDayInformation = 3;
inline constexpr std::uint32_t SystemBasicInformationSize = 44;
inline constexpr std::uint32_t SystemPerformanceInformationSize = 312;
inline constexpr std::uint32_t SystemTimeOfDayInformationSize = 32;
inline constexpr std::uint32_t BasicNumberOfProcessorsOffset = 40;
inline constexpr std::uint32_t TimeOfDayCurrentTimeOffset = 8;
inline constexpr std::uint32_t PerformanceIdleTimeOffset = 0;

// Files
inline constexpr std::uint32_t FileAttributeDirectory = 0x10;
inline constexpr std::uint32_t FileAttributeNormal = 0x80;
inline constexpr std::uint32_t InvalidFileAttributes = 0xFFFFFFFF;

// COM and the shell
inline constexpr std::int32_t SOk = 0;
inline constexpr std::int32_t EFail = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t ENoInterface = static_cast<std::int32_t>(0x80004002);
inline constexpr std::int32_t RegdbEClassNotReg = static_cast<std::int32_t>(0x80040154);
inline constexpr std::uint32_t ClsctxInprocServer = 0x1;
inline constexpr std::uint32_t ClsctxLocalServer = 0x4;
inline constexpr char ClsidShellLink[] = "{00021401-0000-0000-C000-000000000046}";
inline constexpr char IidIUnknown[] = "{00000000-0000-0000-C000-000000000046}";
inline constexpr char IidIShellLinkA[] = "{000214EE-0000-0000-C000-000000000046}";
inline constexpr char IidIPersistFile[] = "{0000010B-0000-0000-C000-000000000046}";
inline constexpr std::int32_t CsidlNetwork = 0x12;
inline constexpr std::uint32_t BifBrowseForComputer = 0x1000;
inline constexpr std::uint32_t DisplayNameBufferSize = 261;

} // namespace vespern::w32
