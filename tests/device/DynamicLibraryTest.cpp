#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "TestFiles.h"

namespace fs = std::filesystem;
using kova::DynamicLibrary;
using kova::libraryFileFor;

TEST(DynamicLibraryTest, DllNamesOpenTheirSharedObjectTwinWhenItExists) {
    kova::test::TempDir dir;
    kova::test::writeBytes(dir / "Card.so", "x");
    kova::test::writeBytes(dir / "Plain.dll", "x");
    const std::string windowsDir = dir.path().string() + "\\";

    EXPECT_EQ(libraryFileFor(windowsDir + "Card.dll"), dir / "Card.so");
    EXPECT_EQ(libraryFileFor(windowsDir + "Card.DLL"), dir / "Card.so");
    // Without a twin the name is taken as given.
    EXPECT_EQ(libraryFileFor(windowsDir + "Plain.dll"), dir / "Plain.dll");
    EXPECT_EQ(libraryFileFor(windowsDir + "Missing.dll"), dir / "Missing.dll");
    EXPECT_EQ(libraryFileFor(windowsDir + "Card.so"), dir / "Card.so");
    // ".dll" alone is a name, not an extension to replace.
    EXPECT_EQ(libraryFileFor(windowsDir + ".dll"), dir / ".dll");
}

TEST(DynamicLibraryTest, RelativeNamesBecomeAbsoluteSoNoLibraryPathIsSearched) {
    const fs::path file = libraryFileFor("NoSuchModule.dll");
    EXPECT_TRUE(file.is_absolute());
    EXPECT_EQ(file, fs::current_path() / "NoSuchModule.dll");
}

TEST(DynamicLibraryTest, FindsOnlyNamesTheLibraryItselfDefines) {
    const DynamicLibrary card = DynamicLibrary::open(KOVA_TEST_FULL_CARD);
    ASSERT_TRUE(card.isOpen()) << card.error();
    EXPECT_NE(card.symbol("ExtGetAnalog"), nullptr);
    EXPECT_EQ(card.symbol("NoSuchEntry"), nullptr);
    // The C library, a dependency of the module, defines these; the module does not.
    EXPECT_EQ(card.symbol("malloc"), nullptr);
    EXPECT_EQ(card.symbol("strncpy"), nullptr);
    EXPECT_EQ(card.symbol(nullptr), nullptr);
}

TEST(DynamicLibraryTest, FilesThatAreNotLibrariesFailWithAReason) {
    for (const char* name : {KOVA_TEST_NOT_A_LIBRARY, "/nonexistent/Module.so", ""}) {
        const DynamicLibrary library = DynamicLibrary::open(name);
        EXPECT_FALSE(library.isOpen()) << name;
        EXPECT_FALSE(library.error().empty()) << name;
        EXPECT_EQ(library.symbol("ExtOpen"), nullptr) << name;
    }
}

TEST(DynamicLibraryTest, OwnershipMovesAndCloseReleases) {
    DynamicLibrary first = DynamicLibrary::open(KOVA_TEST_CARD_GROUP_ONLY);
    ASSERT_TRUE(first.isOpen());
    DynamicLibrary second = std::move(first);
    EXPECT_FALSE(first.isOpen());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    ASSERT_TRUE(second.isOpen());
    EXPECT_NE(second.symbol("ExtOpen"), nullptr);

    second.close();
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(second.symbol("ExtOpen"), nullptr);
    second.close();  // a second close is harmless
}

TEST(DynamicLibraryTest, NamesTheFileHoldingAnAddress) {
    const DynamicLibrary card = DynamicLibrary::open(KOVA_TEST_FULL_CARD);
    ASSERT_TRUE(card.isOpen());
    EXPECT_TRUE(
        fs::equivalent(kova::libraryFileContaining(card.symbol("ExtOpen")), KOVA_TEST_FULL_CARD));
    EXPECT_TRUE(kova::libraryFileContaining(nullptr).empty());
}
