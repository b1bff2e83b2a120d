// Every include of src/ against the layer order written in HACKING.md: a file includes from its
// own folder and from layers below, a logic/ folder no Qt and nothing of a window folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSourceDir = KOVA_TEST_SOURCE_DIR;

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The layer of each top folder, from the line "platform → device → calib, led, ... → app".
std::map<std::string, int> layersFromHacking() {
    std::istringstream lines(readAll(kSourceDir / "HACKING.md"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("platform →", 0) != 0) {
            continue;
        }
        std::map<std::string, int> layers;
        int layer = 0;
        const std::regex token("→|[a-z]+");
        for (std::sregex_iterator it(line.begin(), line.end(), token), end; it != end; ++it) {
            if (it->str() == "→") {
                ++layer;
            } else {
                layers[it->str()] = layer;
            }
        }
        return layers;
    }
    return {};
}

struct Folder {
    std::string top;   // "pages"
    bool pure;         // a logic/ folder, or a top folder that builds without Qt
    std::string path;  // "pages/logic"
};

// Folders whose libraries use Qt (windows, or the records on Qt SQL and their printed report);
// the logic/ folders and the rest build without Qt.
bool isWindowFolder(const std::string& path) {
    return path == "controls" || path == "dialogs" || path == "pages" || path == "app" ||
           path == "platform/qt" || path == "records" || path == "records/report";
}

Folder folderOf(const std::string& path) {
    const auto slash = path.find('/');
    return {path.substr(0, slash), !isWindowFolder(path), path};
}

struct Include {
    std::string file;
    std::string target;
};

std::vector<Include> includesOf(const fs::path& file) {
    std::vector<Include> found;
    std::istringstream lines(readAll(file));
    std::string line;
    const std::regex include(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, include)) {
            found.push_back({fs::relative(file, kSourceDir).string(), m[1].str() + m[2].str()});
        }
    }
    return found;
}

}  // namespace

TEST(IncludeLayersTest, EveryIncludeOfSrcFollowsTheLayerOrder) {
    const auto layers = layersFromHacking();
    ASSERT_GE(layers.size(), 10U) << "HACKING.md has no line \"platform → ... → app\"";

    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / "src")) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) {
            continue;
        }
        const std::string own =
            fs::relative(entry.path().parent_path(), kSourceDir / "src").string();
        const Folder from = folderOf(own);
        ASSERT_TRUE(layers.contains(from.top)) << own << " is on no layer of HACKING.md";
        for (const Include& inc : includesOf(entry.path())) {
            ++checked;
            const std::string what = inc.file + " includes " + inc.target.substr(1);
            if (inc.target[0] == '<') {
                EXPECT_FALSE(from.pure && inc.target.rfind("<Q", 0) == 0)
                    << what << ", a Qt header in a library without Qt";
                continue;
            }
            const std::string header = inc.target.substr(1);
            const auto slash = header.rfind('/');
            if (slash == std::string::npos || fs::exists(kSourceDir / "include" / header)) {
                continue;  // the folder's own header or the public API
            }
            const Folder to = folderOf(header.substr(0, slash));
            if (to.path == from.path) {
                continue;
            }
            ASSERT_TRUE(layers.contains(to.top)) << what << ", a folder on no layer";
            // Within one top folder: a Qt folder its logic/, a subfolder the folder it sits in.
            const bool ownFamily =
                to.top == from.top && ((!isWindowFolder(to.path) && isWindowFolder(from.path)) ||
                                       from.path.rfind(to.path + "/", 0) == 0);
            EXPECT_TRUE(ownFamily || layers.at(to.top) < layers.at(from.top))
                << what << ": only lower layers (or the folder's own logic/) may be included";
            EXPECT_FALSE(from.pure && !to.pure) << what << ", window code in a library without Qt";
        }
    }
    EXPECT_GT(checked, 100);
}
