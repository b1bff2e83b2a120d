#pragma once
// The entry-point table of the component-module loader: every name any of the product family's
// components exports, in the family's fixed slot order, each with the kind of result it gives
// and so the defaults its forwarding operation returns. A name that several families share has a
// slot per family; all of them resolve to the same address.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kova {

enum class SlotKind : std::uint8_t {
    Int,                // integer: absent -1007, failed -1008
    IntZero,            // integer: 0 either way
    IntZeroOrMinusOne,  // integer: absent 0, failed -1
    Truth,              // truth value: false either way
    Real,               // single-precision value: -10000.0 either way
    DevVersionText,     // text: absent "NULL", failed "CATCH-DevGetVersion"
    VersionText,        // text: "UNKNOW" either way
    Nothing,            // no result
};

struct SlotSpec {
    std::string_view name;
    SlotKind kind;
};

inline constexpr std::size_t kExtSlotCount = 177;

namespace slot_table {
using K = SlotKind;
inline constexpr std::array<SlotSpec, kExtSlotCount> kSlots{{
    {"ExtOpen", K::Nothing},
    {"ExtClose", K::Nothing},
    {"ExtInPutDig", K::IntZero},
    {"ExtOutPutDig", K::Nothing},
    {"ExtGetAnalog", K::IntZero},
    {"ExtResetCNT", K::Nothing},
    {"ExtGetEnc3", K::IntZero},
    {"ExtGetFreb", K::Real},
    {"ExtGetDis", K::Real},
    {"ExtResetDis", K::Nothing},
    {"ExtSetDis", K::IntZero},
    {"ExtGetVer", K::IntZero},
    {"ExtGetVersion", K::VersionText},
    {"GetDevData", K::IntZero},
    {"ExtInit", K::Int},
    {"ExtInitInfo", K::Int},
    {"ExtInitItem", K::Int},
    {"ExtInitStd", K::Int},
    {"ExtInitResult", K::Int},
    {"ExtInitCalib", K::Int},
    {"ExtRun", K::Int},
    {"ExtStop", K::Int},
    {"ExtShow", K::Int},
    {"ExtMove", K::Int},
    {"ExtMoveEx", K::Int},
    {"ExtGetStand", K::Int},
    {"ExtRelease", K::Int},
    {"ExtGetType", K::Int},
    {"ExtGetInfo", K::Int},
    {"ExtGetItem", K::Int},
    {"ExtGetResult", K::Int},
    {"ExtGetCalib", K::Int},
    {"ExtGetErrorInfo", K::Nothing},
    {"ExtGetStatusInfo", K::IntZero},
    {"ExtParamSave", K::Int},
    {"ExtWriteDB", K::Int},
    {"ExtGetCurData", K::Int},
    {"ExtWriteDBEVAL", K::Int},
    {"ExtWriteDBRC", K::Int},
    {"ExtWriteDBRJ", K::Int},
    {"ExtWriteWeight", K::Int},
    {"ExtInitTab", K::Int},
    {"ExtPrint", K::Int},
    {"ExtPrintScreen", K::Int},
    {"ExtWriteInterNetDat", K::Int},
    {"ExtGetInterNetDat", K::Int},
    {"ExtGetBlacklistInfo", K::Int},
    {"ExtGetEvlResult", K::Int},
    {"ExtGetEvlResultAll", K::Int},
    {"ExtDatOutput", K::Int},
    {"ExtDatOutputEx", K::Int},
    {"ExtDatOutputShowDlg", K::Int},
    {"ExtGetGongAnNo", K::Int},
    {"ExtGetGongAnVehInfo", K::Int},
    {"ExtSetDB", K::Int},
    {"ExtUseDB", K::Int},
    {"ExtSetPrintMode", K::Int},
    {"ExtSetMyPrint", K::Int},
    {"ExtPrintView", K::Int},
    {"ExtPrint", K::Int},
    {"ExtInit", K::Int},
    {"ExtMove", K::Int},
    {"ExtShow", K::Int},
    {"ExtLoadInitFile", K::Int},
    {"ExtPrintReShow", K::Int},
    {"ExtGetDB", K::Int},
    {"ExtGetDBPic", K::Int},
    {"ExtGetDBPicEx", K::Int},
    {"ExtWriteDB", K::Int},
    {"ExtGetData", K::Int},
    {"ExtPrintDataShow", K::Int},
    {"ExtRelease", K::Int},
    {"ExtSetOutLineMode", K::Int},
    {"ExtForceHideWarning", K::Int},
    {"ExtInit", K::Int},
    {"ExtGetDB", K::Int},
    {"ExtGetDBAll", K::Int},
    {"ExtStop", K::Int},
    {"ExtRelease", K::Int},
    {"ExtWriteDB", K::Int},
    {"ExtWriteDBEx", K::Int},
    {"ExtWriteDBExA", K::Int},
    {"ExtGetCurData", K::Int},
    {"ExtIsSaveQueEnd", K::Int},
    {"ExtIsKOVADBRun", K::Int},
    {"ExtWriteDB2", K::Int},
    {"ExtSaveResultBinary", K::Int},
    {"ExtWrite_Std_Save_DB", K::Int},
    {"ExtWrite_Result_Save_DB", K::Int},
    {"ExtWrite_Result_Save_DB_ByID", K::Int},
    {"ExtWrite_Item_Save_DB", K::Int},
    {"ExtWrite_Binary_Save_DB", K::Int},
    {"ExtWrite_Info_Save_DB", K::Int},
    {"ExtWrite_ImageBinary_Save_DB", K::Int},
    {"ExtSaveBaseInfo", K::Int},
    {"ExtSaveEndData", K::Int},
    {"ExtSaveUploadFlg", K::Int},
    {"ExtSetDB", K::Int},
    {"ExtCombinData", K::Int},
    {"ExtUpdateDownLineTime", K::Int},
    {"ExtSetOffineDev", K::Int},
    {"ExtSetAMFLDev", K::Int},
    {"ExtChangeStatus", K::Int},
    {"ExtSetDebug", K::Int},
    {"ExtIsWindowVisable", K::Int},
    {"ExtSetUerType", K::Int},
    {"ExtInit", K::Int},
    {"ExtShow", K::Int},
    {"ExtRelease", K::Int},
    {"ExtMove", K::Int},
    {"ExtWriteDB", K::Int},
    {"ExtGetDB", K::Int},
    {"ExtCopyCar", K::Int},
    {"ExtDeleteCar", K::Int},
    {"ExtInit", K::Int},
    {"ExtInitStatTab", K::Int},
    {"ExtInitStatTabEx", K::Int},
    {"ExtRelease", K::Int},
    {"ExtRun", K::Int},
    {"ExtInit", K::Int},
    {"ExtShow", K::Int},
    {"ExtRelease", K::Int},
    {"ExtSetUser", K::Int},
    {"ExtDoModal", K::Int},
    {"ExtSetLog", K::Int},
    {"ExtSetDB", K::Int},
    {"Open", K::Int},
    {"Close", K::Int},
    {"Run", K::Int},
    {"Stop", K::Int},
    {"GetDate", K::Int},
    {"GetType", K::Int},
    {"GetVersion", K::DevVersionText},
    {"ExtSaveSysLog", K::Int},
    {"ExtConnectNet", K::Int},
    {"ExtCloseNet", K::Int},
    {"ExtGetPoliceDate", K::Int},
    {"ExtGetPoliceTestnumb", K::Int},
    {"ExtGetBGTM", K::IntZero},
    {"ExtSendPicture", K::Int},
    {"ExtSendResult", K::Int},
    {"ExtSaveLog", K::Int},
    {"ExDevInit", K::Int},
    {"ExDevRun", K::Int},
    {"ExDevWriteCMD", K::Int},
    {"ExDevGetData", K::Int},
    {"ExDevStop", K::Int},
    {"ExDevRelease", K::Int},
    {"ExtParseVIN", K::Int},
    {"ExtVehicleTypeParse", K::IntZeroOrMinusOne},
    {"ExtMessageBox", K::IntZero},
    {"ExtInitMessageBox", K::Nothing},
    {"ExtInitMegColor", K::Nothing},
    {"ExtMeterCommand", K::IntZeroOrMinusOne},
    {"cdm_Sendcdminfo", K::Truth},
    {"SetSerial", K::Nothing},
    {"OpenSerial", K::Nothing},
    {"CloseSerial", K::Nothing},
    {"cdm_Getcdminfo", K::Truth},
    {"Open", K::Truth},
    {"StartRun", K::Truth},
    {"SendCmd", K::Truth},
    {"GetData", K::Truth},
    {"StopRun", K::Truth},
    {"Close", K::Truth},
    {"GetStepSequenceInfos", K::Truth},
    {"GetDevInfos", K::Truth},
    {"GetErrorInfos", K::Truth},
    {"ExtGetFunctionInfo", K::IntZeroOrMinusOne},
    {"ExtGetNeedItemName", K::IntZeroOrMinusOne},
    {"ExtGetStaPrintPageSize", K::IntZeroOrMinusOne},
    {"ExtGetStaPrintTableName", K::IntZeroOrMinusOne},
    {"ExtOutPutDevRunStatus", K::IntZeroOrMinusOne},
    {"ExtOutPutDevTestData", K::IntZeroOrMinusOne},
    {"ExtOutPutDevPhoto", K::IntZeroOrMinusOne},
    {"ExtOutPutDevEndJudge", K::IntZeroOrMinusOne},
    {"ExtOutPutCallBackFun", K::IntZeroOrMinusOne},
}};
}  // namespace slot_table

inline constexpr const std::array<SlotSpec, kExtSlotCount>& kExtSlots = slot_table::kSlots;

// The slot of the n-th occurrence (from 1) of a name; an unknown name does not compile.
consteval std::size_t slotOf(std::string_view name, int occurrence = 1) {
    for (std::size_t i = 0; i < kExtSlotCount; ++i) {
        if (kExtSlots[i].name == name && --occurrence == 0) {
            return i;
        }
    }
    throw "no such entry point";
}

// What a slot's entry point returns (Raw), what its forwarding operation returns (Result), and
// the two defaults. The entry points are plain C functions: truth values come back as the
// family's 32-bit BOOL, texts as zero-terminated GBK.
template <SlotKind K>
struct SlotDefaults;

// A result that comes back as the entry point gives it, with its two fixed defaults (given as
// integers for a float result: not every compiler the tools use takes a float template argument).
template <class R, auto Absent, auto Failed>
struct PassedThrough {
    using Raw = R;
    static R absent() { return static_cast<R>(Absent); }
    static R failed() { return static_cast<R>(Failed); }
    static R result(Raw r) { return r; }
};

// The texts' defaults: pointers to these, as the family's zero-terminated texts are.
inline constexpr char kDevVersionAbsent[] = "NULL";
inline constexpr char kDevVersionFailed[] = "CATCH-DevGetVersion";
inline constexpr char kVersionUnknown[] = "UNKNOW";

template <>
struct SlotDefaults<SlotKind::Int> : PassedThrough<int, -1007, -1008> {};
template <>
struct SlotDefaults<SlotKind::IntZero> : PassedThrough<int, 0, 0> {};
template <>
struct SlotDefaults<SlotKind::IntZeroOrMinusOne> : PassedThrough<int, 0, -1> {};
template <>
struct SlotDefaults<SlotKind::Real> : PassedThrough<float, -10000, -10000> {};
template <>
struct SlotDefaults<SlotKind::DevVersionText>
    : PassedThrough<const char*, kDevVersionAbsent, kDevVersionFailed> {};
template <>
struct SlotDefaults<SlotKind::VersionText>
    : PassedThrough<const char*, kVersionUnknown, kVersionUnknown> {};

template <>
struct SlotDefaults<SlotKind::Truth> {
    using Raw = int;
    static bool absent() { return false; }
    static bool failed() { return false; }
    static bool result(Raw r) { return r != 0; }
};

template <>
struct SlotDefaults<SlotKind::Nothing> {
    using Raw = void;
    static void absent() {}
    static void failed() {}
};

}  // namespace kova
