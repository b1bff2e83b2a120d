// Replays the parser's fuzz corpus, and every prefix of each file (a file cut at any byte), through
// the properties the fuzz target checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "IniInvariants.h"
#include "TestFiles.h"

namespace kova {
namespace {

TEST(IniCorpusTest, EveryFileAndEveryPrefixKeepsTheProperties) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(INI_CORPUS_DIR)) {
        const std::string bytes = test::readBytes(entry.path());
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            const std::string failure =
                test::checkIniInvariants(std::string_view(bytes).substr(0, n));
            ASSERT_EQ(failure, "") << entry.path().filename() << " cut at " << n;
        }
        ++files;
    }
    EXPECT_GE(files, 10);
}

}  // namespace
}  // namespace kova
