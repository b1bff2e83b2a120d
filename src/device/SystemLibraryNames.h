#pragma once
// The entry points of the system-environment library, in the order the loader looks them up.
// The loader and the stand-in library both expand this one list, so the stand-in exports
// exactly what the loader requires.
//
// The first four are the ones the tool calls; the loader requires all of them, and the first
// missing one decides its error code.

#include <array>
#include <cstddef>
#include <string_view>

// Entry points the tool calls, in lookup order.
#define KOVA_SYSTEM_LIBRARY_CALLED(X) X(GetTesvar) X(GetVers) X(GetField) X(Filter_1)

// The library's further entry points, in lookup order after the called ones. The tool never
// calls them; it only requires that they are there.
#define KOVA_SYSTEM_LIBRARY_RESERVED(X) \
    X(GetStationNo)                     \
    X(GetLineNo)                        \
    X(GetLineName)                      \
    X(GetDevNo)                         \
    X(GetDevName)                       \
    X(GetSysDir)                        \
    X(GetIniDir)                        \
    X(GetLogDir)                        \
    X(GetDataDir)                       \
    X(GetTempDir)                       \
    X(GetPicDir)                        \
    X(GetDbName)                        \
    X(GetDbUser)                        \
    X(GetDbServer)                      \
    X(GetComPort)                       \
    X(GetComBaud)                       \
    X(GetNetPort)                       \
    X(GetNetAddr)                       \
    X(GetHostName)                      \
    X(GetUserName)                      \
    X(GetUserLevel)                     \
    X(GetDate)                          \
    X(GetTime)                          \
    X(GetDateTime)                      \
    X(GetTickCount)                     \
    X(GetWeekDay)                       \
    X(GetFieldCount)                    \
    X(GetFieldEx)                       \
    X(GetFieldInt)                      \
    X(GetFieldFloat)                    \
    X(GetStrLen)                        \
    X(GetSubStr)                        \
    X(GetCheckSum)                      \
    X(GetCrc16)                         \
    X(GetCrc32)                         \
    X(GetRandom)                        \
    X(GetVehType)                       \
    X(GetPlateColor)                    \
    X(GetFuelType)                      \
    X(GetTestNo)                        \
    X(GetTestTimes)                     \
    X(GetInspectNo)                     \
    X(GetStandard)                      \
    X(GetStdValue)                      \
    X(GetLimit)                         \
    X(GetUnitName)                      \
    X(GetPrecision)                     \
    X(GetLedName)                       \
    X(GetLedCount)                      \
    X(GetDispMode)                      \
    X(SetStationNo)                     \
    X(SetLineNo)                        \
    X(SetDevNo)                         \
    X(SetSysDir)                        \
    X(SetLogDir)                        \
    X(SetDataDir)                       \
    X(SetComPort)                       \
    X(SetComBaud)                       \
    X(SetNetPort)                       \
    X(SetNetAddr)                       \
    X(SetUserName)                      \
    X(SetUserLevel)                     \
    X(SetDate)                          \
    X(SetTime)                          \
    X(SetTestNo)                        \
    X(SetStandard)                      \
    X(SetLedName)                       \
    X(SetDispMode)                      \
    X(SetDebug)                         \
    X(SetLogLevel)                      \
    X(StrTrim)                          \
    X(StrTrimLeft)                      \
    X(StrTrimRight)                     \
    X(StrUpper)                         \
    X(StrLower)                         \
    X(StrReplace)                       \
    X(StrFind)                          \
    X(StrSplit)                         \
    X(StrCompare)                       \
    X(StrCopy)                          \
    X(StrCat)                           \
    X(StrToInt)                         \
    X(StrToFloat)                       \
    X(StrFromInt)                       \
    X(StrFromFloat)                     \
    X(StrReverse)                       \
    X(ConvHexToInt)                     \
    X(ConvIntToHex)                     \
    X(ConvBcdToInt)                     \
    X(ConvIntToBcd)                     \
    X(ConvAscToHex)                     \
    X(ConvHexToAsc)                     \
    X(ConvFloatToStr)                   \
    X(ConvStrToFloat)                   \
    X(ConvGbkToUnicode)                 \
    X(ConvUnicodeToGbk)                 \
    X(ConvSpeedUnit)                    \
    X(ConvForceUnit)                    \
    X(ReadIniStr)                       \
    X(ReadIniInt)                       \
    X(ReadIniFloat)                     \
    X(ReadReg)                          \
    X(ReadFile)                         \
    X(ReadLine)                         \
    X(ReadBlock)                        \
    X(ReadConfig)                       \
    X(WriteIniStr)                      \
    X(WriteIniInt)                      \
    X(WriteIniFloat)                    \
    X(WriteReg)                         \
    X(WriteFile)                        \
    X(WriteLine)                        \
    X(WriteBlock)                       \
    X(WriteConfig)                      \
    X(WriteLog)                         \
    X(WriteErrLog)                      \
    X(WriteDebugLog)                    \
    X(CheckPlate)                       \
    X(CheckVin)                         \
    X(CheckDate)                        \
    X(CheckTime)                        \
    X(CheckIp)                          \
    X(CheckPort)                        \
    X(CheckDir)                         \
    X(CheckFile)                        \
    X(CheckNumber)                      \
    X(CheckFloat)                       \
    X(CheckLicense)                     \
    X(CheckDongle)                      \
    X(CalcAverage)                      \
    X(CalcMax)                          \
    X(CalcMin)                          \
    X(CalcSum)                          \
    X(CalcVariance)                     \
    X(CalcStdDev)                       \
    X(CalcSlope)                        \
    X(CalcOffset)                       \
    X(CalcRatio)                        \
    X(CalcPercent)                      \
    X(CalcRound)                        \
    X(CalcSpeed)                        \
    X(CalcForce)                        \
    X(CalcWeight)                       \
    X(FormatDate)                       \
    X(FormatTime)                       \
    X(FormatNumber)                     \
    X(FormatPlate)                      \
    X(MakeDir)                          \
    X(MakePath)                         \
    X(MakeFileName)                     \
    X(DeleteFile)                       \
    X(CopyFile)                         \
    X(MoveFile)                         \
    X(FileExists)                       \
    X(DirExists)                        \
    X(FileSize)                         \
    X(FileTime)                         \
    X(ShowMsg)                          \
    X(ShowError)                        \
    X(ShowWarning)                      \
    X(ShowInfo)                         \
    X(ComOpen)                          \
    X(ComClose)                         \
    X(ComSend)                          \
    X(ComRecv)                          \
    X(ComClear)                         \
    X(ComSetTimeout)                    \
    X(NetOpen)                          \
    X(NetClose)                         \
    X(NetSend)                          \
    X(NetRecv)                          \
    X(NetConnect)                       \
    X(NetListen)                        \
    X(DbOpen)                           \
    X(DbClose)                          \
    X(DbExec)                           \
    X(DbQuery)                          \
    X(DbCommit)                         \
    X(DbRollback)                       \
    X(LedOpen)                          \
    X(LedClose)                         \
    X(LedSend)                          \
    X(LedClear)                         \
    X(TimeStart)                        \
    X(TimeStop)                         \
    X(TimeElapsed)                      \
    X(TimeWait)                         \
    X(TimeFormat)                       \
    X(SysInit)                          \
    X(SysRelease)                       \
    X(SysReset)                         \
    X(SysShutdown)                      \
    X(SysRestart)                       \
    X(SysBeep)                          \
    X(SysSleep)                         \
    X(SysLock)                          \
    X(SysUnlock)                        \
    X(Filter_2)                         \
    X(Filter_3)                         \
    X(Filter_4)                         \
    X(Filter_5) X(Filter_6) X(Filter_7) X(Filter_8) X(Smooth_1) X(Smooth_2) X(Smooth_3) X(Smooth_4)

namespace kova {

inline constexpr std::size_t kSystemLibraryNameCount = 212;

#define KOVA_SYSTEM_LIBRARY_NAME_TEXT(name) std::string_view(#name),
inline constexpr std::array<std::string_view, kSystemLibraryNameCount> kSystemLibraryNames{
    KOVA_SYSTEM_LIBRARY_CALLED(KOVA_SYSTEM_LIBRARY_NAME_TEXT)
        KOVA_SYSTEM_LIBRARY_RESERVED(KOVA_SYSTEM_LIBRARY_NAME_TEXT)};
#undef KOVA_SYSTEM_LIBRARY_NAME_TEXT

// A short list would leave empty names at the end.
static_assert(!kSystemLibraryNames.back().empty());

}  // namespace kova
