// The contract between the modules we build and the loaders' tables: every module in the system
// directory and among the test modules loads, every entry point it exports is a name the slot
// table or the system-library list knows (a misspelt or C++-mangled export would never be
// found), and each stand-in exports the whole set it stands in for. The modules are found on
// disk, so a new one is covered without being listed here.

#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "TestFiles.h"
#include "device/ExtModuleSlots.h"
#include "device/SystemLibraryNames.h"
#include "platform/DynamicLibrary.h"

namespace kova {
namespace {

namespace fs = std::filesystem;

struct Module {
    fs::path file;
    std::string key;  // the path below its root: "Tesvar.so", "TesvarMissingFourth/Tesvar.so"
    bool testModule = false;
};

// Every *.so below the system directory and the test modules' directory.
std::vector<Module> findModules() {
    std::vector<Module> modules;
    const std::pair<fs::path, bool> roots[] = {{KOVA_TEST_SYSTEM_DIR, false},
                                               {KOVA_TEST_MODULE_DIR, true}};
    for (const auto& [root, testModule] : roots) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->is_regular_file() && it->path().extension() == ".so") {
                modules.push_back(
                    {it->path(), it->path().lexically_relative(root).string(), testModule});
            }
        }
    }
    std::sort(modules.begin(), modules.end(),
              [](const Module& a, const Module& b) { return a.file < b.file; });
    return modules;
}

// The functions a 64-bit ELF shared object exports as its own: defined, global or weak,
// visible. Empty for a file that is not one.
std::set<std::string> exportedFunctions(const fs::path& file) {
    const std::string bytes = test::readBytes(file);
    std::set<std::string> names;
    Elf64_Ehdr header{};
    if (bytes.size() < sizeof header) {
        return names;
    }
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_shoff + std::size_t{header.e_shnum} * sizeof(Elf64_Shdr) > bytes.size()) {
        return names;
    }
    const auto section = [&](std::size_t i) {
        Elf64_Shdr s{};
        std::memcpy(&s, bytes.data() + header.e_shoff + i * sizeof s, sizeof s);
        return s;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_link >= header.e_shnum) {
            continue;
        }
        const Elf64_Shdr strings = section(symbols.sh_link);
        for (std::size_t at = symbols.sh_offset;
             at + sizeof(Elf64_Sym) <= bytes.size() && at < symbols.sh_offset + symbols.sh_size;
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym sym{};
            std::memcpy(&sym, bytes.data() + at, sizeof sym);
            const unsigned type = ELF64_ST_TYPE(sym.st_info);
            const unsigned binding = ELF64_ST_BIND(sym.st_info);
            const unsigned visibility = ELF64_ST_VISIBILITY(sym.st_other);
            if (sym.st_shndx == SHN_UNDEF || (type != STT_FUNC && type != STT_GNU_IFUNC) ||
                (binding != STB_GLOBAL && binding != STB_WEAK) ||
                (visibility != STV_DEFAULT && visibility != STV_PROTECTED) ||
                strings.sh_offset + sym.st_name >= bytes.size()) {
                continue;
            }
            const std::string name = bytes.c_str() + strings.sh_offset + sym.st_name;
            // A weak C++ name is a template or inline function of a header (the standard
            // library keeps its own visible), not something the module defines as its own.
            if (binding == STB_WEAK && name.rfind("_Z", 0) == 0) {
                continue;
            }
            names.insert(name);
        }
    }
    return names;
}

// The acquisition-card group: the first thirteen slots.
std::vector<std::string> cardGroup() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < 13; ++i) {
        names.emplace_back(kExtSlots[i].name);
    }
    return names;
}

// The system library's entry points, but for `left` when one is named.
std::vector<std::string> systemLibraryNames(std::string_view left = {}) {
    std::vector<std::string> names;
    for (const std::string_view name : kSystemLibraryNames) {
        if (name != left) {
            names.emplace_back(name);
        }
    }
    return names;
}

std::vector<std::string> plus(std::vector<std::string> names,
                              std::initializer_list<const char*> more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

// What a module we build is meant to provide: the entry points it must export, one it must not
// (a test module that lacks it on purpose), and names of its own beside the tables'.
struct Contract {
    std::vector<std::string> required;
    std::string lacking;
    std::set<std::string> ownNames;
};

// The entry points the tool calls on a hardware module.
const std::vector<std::string> kHardwareCalls = {
    "ExtOpen",     "ExtClose",     "ExtGetAnalog", "ExtGetFreb", "ExtGetEnc3",      "ExtResetCNT",
    "ExtInPutDig", "ExtOutPutDig", "ExtStop",      "ExtRelease", "ExtGetStatusInfo"};

std::map<std::string, Contract> contracts() {
    std::map<std::string, Contract> c;
    c["Tesvar.so"] = {systemLibraryNames(), "", {}};
    c["Ferroxan.so"] = {kHardwareCalls, "", {"FerroxanRecheckSettings"}};
    c["ModbusCard.so"] = {kHardwareCalls, "", {}};
#if KOVA_TEST_GUI
    c["PasswordBox.so"] = {{"ExtDoModal", "ExtStop"}, "", {}};
#endif
    c["CardGroupOnly.so"] = {cardGroup(), "ExtStop", {}};
    c["FullCard.so"] = {
        plus(cardGroup(), {"ExtStop", "ExtRelease", "ExtInit", "ExtDoModal"}), "", {}};
    c["ScriptedPasswordBox.so"] = {{"ExtDoModal", "ExtStop"}, "", {}};
    // The system library with one entry point renamed away.
    c["TesvarMissingFourth/Tesvar.so"] = {
        systemLibraryNames("Filter_1"), "Filter_1", {"KovaOmittedEntry"}};
    c["TesvarMissingWriteLine/Tesvar.so"] = {
        systemLibraryNames("WriteLine"), "WriteLine", {"KovaOmittedEntry"}};
    return c;
}

// Test modules that are not libraries at all, for the loaders' error paths.
const std::set<std::string> kNotLibraries = {"NotALibrary.so"};

bool knownToTheTables(const std::string& name) {
    const auto slot = std::find_if(kExtSlots.begin(), kExtSlots.end(),
                                   [&](const SlotSpec& s) { return s.name == name; });
    return slot != kExtSlots.end() ||
           std::find(kSystemLibraryNames.begin(), kSystemLibraryNames.end(), name) !=
               kSystemLibraryNames.end();
}

class ModuleExportsTest : public ::testing::Test {
  protected:
    const std::vector<Module> modules_ = findModules();
    const std::map<std::string, Contract> contracts_ = contracts();
};

TEST_F(ModuleExportsTest, EveryModuleLoadsAndEveryContractHasItsModule) {
    ASSERT_FALSE(modules_.empty())
        << "no module under " << KOVA_TEST_SYSTEM_DIR << " or " << KOVA_TEST_MODULE_DIR;
    std::set<std::string> found;
    for (const Module& m : modules_) {
        found.insert(m.key);
        const DynamicLibrary library = DynamicLibrary::open(m.file.string());
        if (m.testModule && kNotLibraries.count(m.key) != 0) {
            EXPECT_FALSE(library.isOpen()) << m.key;
            continue;
        }
        EXPECT_TRUE(library.isOpen()) << m.key << ": " << library.error();
        EXPECT_FALSE(exportedFunctions(m.file).empty()) << m.key << " exports nothing";
    }
    for (const auto& [key, contract] : contracts_) {
        EXPECT_EQ(found.count(key), 1u) << "no module " << key;
    }
}

TEST_F(ModuleExportsTest, EveryExportedFunctionIsAnEntryPointTheTablesKnow) {
    for (const Module& m : modules_) {
        const auto contract = contracts_.find(m.key);
        for (const std::string& name : exportedFunctions(m.file)) {
            const bool own = contract != contracts_.end() && contract->second.ownNames.count(name);
            // A test module's probes, which the tests call to see what it received.
            const bool probe = m.testModule && name.rfind("Test", 0) == 0;
            EXPECT_TRUE(knownToTheTables(name) || own || probe) << m.key << " exports " << name;
        }
    }
}

TEST_F(ModuleExportsTest, EachModuleWithAContractExportsItsWholeSet) {
    for (const Module& m : modules_) {
        const auto contract = contracts_.find(m.key);
        if (contract == contracts_.end()) {
            continue;
        }
        const DynamicLibrary library = DynamicLibrary::open(m.file.string());
        ASSERT_TRUE(library.isOpen()) << m.key << ": " << library.error();
        const std::set<std::string> exported = exportedFunctions(m.file);
        for (const std::string& name : contract->second.required) {
            // The loader's own lookup, and the table the file declares.
            EXPECT_NE(library.symbol(name.c_str()), nullptr) << m.key << " lacks " << name;
            EXPECT_EQ(exported.count(name), 1u) << m.key << " does not export " << name;
        }
        const std::string& lacking = contract->second.lacking;
        if (!lacking.empty()) {
            EXPECT_EQ(library.symbol(lacking.c_str()), nullptr) << m.key << " has " << lacking;
        }
    }
}

}  // namespace
}  // namespace kova
