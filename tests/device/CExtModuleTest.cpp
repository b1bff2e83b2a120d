#include "device/CExtModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "TestFiles.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextCodec.h"

using kova::kExtSlots;
using kova::SlotKind;

namespace {

// A second handle on a loaded test module, for its Test* inspection functions.
template <class Fn>
Fn inspect(const kova::DynamicLibrary& module, const char* name) {
    return reinterpret_cast<Fn>(module.symbol(name));
}

constexpr float kUntouched = 123.0f;

}  // namespace

TEST(CExtModuleTest, SlotTableHasTheFamilysShape) {
    std::map<SlotKind, int> perKind;
    std::map<std::string_view, int> perName;
    for (const auto& slot : kExtSlots) {
        ++perKind[slot.kind];
        ++perName[slot.name];
    }
    EXPECT_EQ(perName.size(), 149u);
    EXPECT_EQ(perKind[SlotKind::Int], 131);
    EXPECT_EQ(perKind[SlotKind::IntZero], 9);
    EXPECT_EQ(perKind[SlotKind::IntZeroOrMinusOne], 11);
    EXPECT_EQ(perKind[SlotKind::Truth], 11);
    EXPECT_EQ(perKind[SlotKind::Real], 2);
    EXPECT_EQ(perKind[SlotKind::DevVersionText], 1);
    EXPECT_EQ(perKind[SlotKind::VersionText], 1);
    EXPECT_EQ(perKind[SlotKind::Nothing], 11);
    EXPECT_EQ(perName["ExtInit"], 6);
    EXPECT_EQ(perName["ExtRelease"], 6);
    EXPECT_EQ(perName["ExtShow"], 4);
    EXPECT_EQ(perName["ExtWriteDB"], 4);

    const char* cardGroup[] = {"ExtOpen",      "ExtClose",    "ExtInPutDig", "ExtOutPutDig",
                               "ExtGetAnalog", "ExtResetCNT", "ExtGetEnc3",  "ExtGetFreb",
                               "ExtGetDis",    "ExtResetDis", "ExtSetDis",   "ExtGetVer",
                               "ExtGetVersion"};
    for (std::size_t i = 0; i < std::size(cardGroup); ++i) {
        EXPECT_EQ(kExtSlots[i].name, cardGroup[i]) << i;
    }
    EXPECT_EQ(kExtSlots[13].name, "GetDevData");
    EXPECT_EQ(kExtSlots[176].name, "ExtOutPutCallBackFun");
    // The two families that export "Open" and "Close" disagree on the kind of result.
    EXPECT_EQ(kExtSlots[kova::slotOf("Open", 1)].kind, SlotKind::Int);
    EXPECT_EQ(kExtSlots[kova::slotOf("Open", 2)].kind, SlotKind::Truth);
    EXPECT_EQ(kExtSlots[kova::slotOf("Close", 1)].kind, SlotKind::Int);
    EXPECT_EQ(kExtSlots[kova::slotOf("Close", 2)].kind, SlotKind::Truth);
    EXPECT_EQ(kExtSlots[kova::slotOf("ExtGetAnalog")].kind, SlotKind::IntZero);
    EXPECT_EQ(kExtSlots[kova::slotOf("ExtGetFreb")].kind, SlotKind::Real);
    EXPECT_EQ(kExtSlots[kova::slotOf("ExtDoModal")].kind, SlotKind::Int);
}

TEST(CExtModuleTest, WithoutAModuleEveryCallGivesItsAbsentDefault) {
    CExtModule module;
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.path(), "");

    float samples[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(module.ExtGetAnalog(1, samples, 4), 0);
    for (float s : samples) {
        EXPECT_EQ(s, kUntouched);
    }
    EXPECT_EQ(module.ExtGetFreb(100), -10000.0f);
    EXPECT_EQ(module.ExtGetEnc3(300), 0);
    EXPECT_EQ(module.ExtInPutDig(0), 0);
    EXPECT_EQ(module.ExtStop(), -1007);
    EXPECT_EQ(module.ExtRelease(), -1007);
    int data = 5;
    EXPECT_EQ(module.ExtDoModal(&data), -1007);
    EXPECT_EQ(data, 5);
    module.ExtOpen("Calib");
    module.ExtClose();
    module.ExtResetCNT();
    module.ExtOutPutDig(0, 1);
    for (std::size_t i = 0; i < kova::kExtSlotCount; ++i) {
        EXPECT_EQ(module.entryPoint(i), nullptr);
    }
}

TEST(CExtModuleTest, ForwardsArgumentsAndResultsUnchanged) {
    CExtModule module;
    ASSERT_TRUE(module.Load(KOVA_TEST_FULL_CARD));
    const kova::DynamicLibrary probe = kova::DynamicLibrary::open(KOVA_TEST_FULL_CARD);
    ASSERT_TRUE(probe.isOpen());

    module.ExtOpen("Calib");
    EXPECT_STREQ(inspect<const char* (*)()>(probe, "TestClient")(), "Calib");
    module.ExtClose();
    EXPECT_EQ(inspect<int (*)()>(probe, "TestCloses")(), 1);

    float samples[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(module.ExtGetAnalog(5, samples, 3), 3);
    EXPECT_EQ(samples[0], 5.0f);
    EXPECT_EQ(samples[1], 5.25f);
    EXPECT_EQ(samples[2], 5.5f);
    EXPECT_EQ(samples[3], kUntouched);

    EXPECT_EQ(module.ExtGetFreb(120), 60.0f);
    EXPECT_EQ(module.ExtGetEnc3(300), 307);
    EXPECT_EQ(module.ExtInPutDig(4), 1004);
    module.ExtOutPutDig(7, 1);
    EXPECT_EQ(inspect<int (*)()>(probe, "TestLastOutput")(), 7);
    EXPECT_EQ(inspect<int (*)()>(probe, "TestLastOutputState")(), 1);
    module.ExtResetCNT();
    EXPECT_EQ(inspect<int (*)()>(probe, "TestCounterResets")(), 1);
    EXPECT_EQ(module.ExtStop(), 11);
    EXPECT_EQ(module.ExtRelease(), 12);
    int data = 0;
    EXPECT_EQ(module.ExtDoModal(&data), 1);
    EXPECT_EQ(data, 42);
}

TEST(CExtModuleTest, EverySlotOfANameResolvesToTheSameAddress) {
    CExtModule module;
    ASSERT_TRUE(module.Load(KOVA_TEST_FULL_CARD));
    std::map<std::string_view, std::set<void*>> addresses;
    for (std::size_t i = 0; i < kova::kExtSlotCount; ++i) {
        addresses[kExtSlots[i].name].insert(module.entryPoint(i));
    }
    for (const auto& [name, seen] : addresses) {
        EXPECT_EQ(seen.size(), 1u) << name;
    }
    EXPECT_NE(*addresses["ExtInit"].begin(), nullptr);
    EXPECT_NE(*addresses["ExtRelease"].begin(), nullptr);
    EXPECT_EQ(*addresses["ExtShow"].begin(), nullptr);  // not exported
    EXPECT_EQ(module.entryPoint(kova::kExtSlotCount), nullptr);
}

TEST(CExtModuleTest, ASecondLoadKeepsTheFirstModuleAndPath) {
    CExtModule module;
    ASSERT_TRUE(module.Load(KOVA_TEST_FULL_CARD));
    EXPECT_TRUE(module.Load(KOVA_TEST_CARD_GROUP_ONLY));
    EXPECT_EQ(module.path(), KOVA_TEST_FULL_CARD);
    EXPECT_EQ(module.ExtStop(), 11);  // still the full card
}

TEST(CExtModuleTest, AFailedLoadKeepsTheAttemptedPath) {
    for (const char* path : {"/nonexistent/Ferroxan.dll", KOVA_TEST_NOT_A_LIBRARY}) {
        CExtModule module;
        EXPECT_FALSE(module.Load(path)) << path;
        EXPECT_FALSE(module.IsLoaded());
        char buffer[CExtModule::kPathBytes] = "junk";
        module.GetPath(buffer);
        EXPECT_STREQ(buffer, path);
        EXPECT_EQ(module.ExtStop(), -1007);
    }
}

TEST(CExtModuleTest, GetPathGivesGbkCutToTheBuffer) {
    CExtModule module;
    module.GetPath(nullptr);  // nothing happens

    const std::string chinese = "/不存在/模块.dll";
    module.Load(chinese);
    char buffer[CExtModule::kPathBytes] = {};
    module.GetPath(buffer);
    EXPECT_EQ(std::string(buffer), kova::utf8ToGbk(chinese));

    CExtModule longPath;
    longPath.Load("/" + std::string(400, 'a') + ".dll");
    char cut[CExtModule::kPathBytes + 8];
    std::fill(std::begin(cut), std::end(cut), 'x');
    longPath.GetPath(cut);
    EXPECT_EQ(std::string(cut).size(), CExtModule::kPathBytes - 1);
    EXPECT_EQ(cut[CExtModule::kPathBytes], 'x');  // nothing written past the buffer

    // A double-byte character across the limit is left out whole.
    CExtModule straddling;
    straddling.Load("/" + std::string(257, 'a') + "模块.dll");
    char straddled[CExtModule::kPathBytes] = {};
    straddling.GetPath(straddled);
    EXPECT_EQ(std::string(straddled), "/" + std::string(257, 'a'));
}

TEST(CExtModuleTest, UnloadReturnsToAbsentDefaultsAndAllowsAFreshLoad) {
    CExtModule module;
    module.Unload();  // nothing loaded: nothing happens
    EXPECT_FALSE(module.IsLoaded());

    ASSERT_TRUE(module.Load(KOVA_TEST_FULL_CARD));
    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.ExtStop(), -1007);
    EXPECT_EQ(module.ExtGetFreb(100), -10000.0f);
    EXPECT_EQ(module.ExtInPutDig(4), 0);

    // The card group alone: closing calls find no ExtStop or ExtRelease and carry on.
    ASSERT_TRUE(module.Load(KOVA_TEST_CARD_GROUP_ONLY));
    EXPECT_EQ(module.path(), KOVA_TEST_CARD_GROUP_ONLY);
    EXPECT_EQ(module.ExtInPutDig(4), 1004);
    module.ExtClose();
    EXPECT_EQ(module.ExtStop(), -1007);
    EXPECT_EQ(module.ExtRelease(), -1007);
    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
}

TEST(CExtModuleTest, DestructionReleasesALoadedModule) {
    {
        CExtModule module;
        ASSERT_TRUE(module.Load(KOVA_TEST_CARD_GROUP_ONLY));
        void* stillThere = dlopen(KOVA_TEST_CARD_GROUP_ONLY, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(stillThere, nullptr);
        dlclose(stillThere);
    }
    void* afterwards = dlopen(KOVA_TEST_CARD_GROUP_ONLY, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(afterwards, nullptr);
    if (afterwards != nullptr) {
        dlclose(afterwards);
    }
}

class CExtModuleFailureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CExtModuleFailureTest, AFailingCallGivesItsFailureDefaultAndLaterCallsWork) {
    CExtModule module;
    ASSERT_TRUE(module.Load(GetParam()));
    for (int round = 0; round < 2; ++round) {
        float samples[2] = {kUntouched, kUntouched};
        EXPECT_EQ(module.ExtGetAnalog(1, samples, 2), 0);
        EXPECT_EQ(samples[1], kUntouched);
        EXPECT_EQ(module.ExtGetFreb(100), -10000.0f);
        EXPECT_EQ(module.ExtGetEnc3(300), 0);
        EXPECT_EQ(module.ExtStop(), -1008);
        module.ExtOutPutDig(3, 1);

        EXPECT_TRUE(module.IsLoaded());
        EXPECT_EQ(module.path(), GetParam());
        EXPECT_EQ(module.ExtInPutDig(2), 3);
        EXPECT_EQ(module.ExtRelease(), 3);
    }
    // Absent entry points still give absent defaults, not failure defaults.
    EXPECT_EQ(module.ExtDoModal(nullptr), -1007);
}

INSTANTIATE_TEST_SUITE_P(Modules, CExtModuleFailureTest,
                         ::testing::Values(KOVA_TEST_NULL_DEREF_CARD, KOVA_TEST_THROWING_CARD,
                                           KOVA_TEST_DIVIDING_CARD));

TEST(CExtModuleTest, ACardWithoutStatusInfoReadsEveryChannelAsFresh) {
    CExtModule module;
    EXPECT_EQ(module.ExtGetStatusInfo(0), 0);
    ASSERT_TRUE(module.Load(KOVA_TEST_CARD_GROUP_ONLY));
    ASSERT_EQ(module.entryPoint(kova::slotOf("ExtGetStatusInfo")), nullptr);
    EXPECT_EQ(module.ExtGetStatusInfo(0), 0);
    EXPECT_EQ(module.ExtGetStatusInfo(300), 0);
}
