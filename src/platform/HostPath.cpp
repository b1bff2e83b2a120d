#include "platform/HostPath.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/TextCodec.h"

namespace fs = std::filesystem;

namespace kova {
namespace {

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v != nullptr && *v != '\0') ? std::string(v) : fallback;
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// "a/b" as fs::path's operator/ joins a relative b: no second separator after a trailing one.
std::string joinText(std::string a, std::string_view b) {
    if (!a.empty() && a.back() != '/') {
        a += '/';
    }
    a += b;
    return a;
}

// Text rather than fs::path: a profile read maps its file's drive every time.
std::string drivesHome() {
    const char* drives = std::getenv("KOVA_DRIVES");
    if (drives != nullptr && *drives != '\0') {
        return drives;
    }
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string base = (xdg != nullptr && *xdg != '\0')
                                 ? std::string(xdg)
                                 : joinText(envOr("HOME", "/"), ".local/share");
    return joinText(base, "kova/drives");
}

std::string driveRootText(char drive) {
    const char letter = upper(drive);
    char var[] = "KOVA_DRIVE_?";
    var[sizeof var - 2] = letter;
    const char* set = std::getenv(var);
    if (set != nullptr && *set != '\0') {
        return set;
    }
    if (letter == 'Z') {
        return "/";
    }
    return joinText(drivesHome(), std::string(1, static_cast<char>(letter - 'A' + 'a')));
}

std::vector<std::string> splitComponents(std::string_view text) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) {
                parts.push_back(current);
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

// Appends one component, resolving it without regard to case when the exact name is missing
// and exactly one entry of the directory matches.
void appendResolved(fs::path& base, const std::string& component) {
    if (component == "." || component == "..") {
        base /= component;
        return;
    }
    fs::path exact = base / component;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec)) || !fs::is_directory(base, ec)) {
        base = std::move(exact);
        return;
    }
    fs::path match;
    int matches = 0;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        if (equalsIgnoreAsciiCase(it->path().filename().string(), component)) {
            match = it->path();
            ++matches;
        }
    }
    base = matches == 1 ? match : std::move(exact);
}

fs::path resolveUnder(fs::path base, std::string_view rest) {
    for (const std::string& part : splitComponents(rest)) {
        appendResolved(base, part);
    }
    return base;
}

}  // namespace

fs::path driveRoot(char drive) {
    return driveRootText(drive);
}

namespace {

// The directory a path is rooted at (empty for a relative path) and the rest of it. Text, not
// fs::path: every profile read maps its file's name, and splitting a path into components costs
// more than the read itself.
std::pair<std::string, std::string_view> splitRoot(std::string_view path) {
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        return {driveRootText(path[0]), path.substr(2)};
    }
    if (!path.empty() && path[0] == '/') {
        return {"/", path};
    }
    if (!path.empty() && path[0] == '\\') {
        return {driveRootText(windowsWorkingDirectory()[0]), path};
    }
    return {std::string(), path};
}

// The root and the components joined as text, "\\" and "/" alike, empty components dropped.
// Written into the string's own buffer: every profile read maps its file's name.
std::string joinLexically(std::string text, std::string_view rest) {
    const std::size_t rootSize = text.size();
    // At most one separator is added before the first component, and one per separator of rest.
    text.resize(rootSize + 1 + rest.size());
    char* const begin = text.data();
    char* out = begin + rootSize;
    bool separatorDue = rootSize > 0 && out[-1] != '/';
    for (const char c : rest) {
        if (c == '\\' || c == '/') {
            separatorDue = out != begin && out[-1] != '/';
        } else {
            if (separatorDue) {
                *out++ = '/';
                separatorDue = false;
            }
            *out++ = c;
        }
    }
    text.resize(static_cast<std::size_t>(out - begin));
    return text;
}

}  // namespace

std::string lexicalHostPath(std::string_view path) {
    auto [base, rest] = splitRoot(path);
    return joinLexically(std::move(base), rest);
}

fs::path hostPath(std::string_view path) {
    auto [root, rest] = splitRoot(path);
    const fs::path base(root);
    const fs::path lexical(joinLexically(std::move(root), rest));
    std::error_code ec;
    const bool relative = base.empty();
    fs::path cwd;
    if (relative) {
        cwd = fs::current_path(ec);
        if (ec) {
            cwd = ".";
        }
    }
    // Every component exists in its exact case: nothing to resolve (one lstat instead of one
    // per component).
    if (!lexical.empty() && fs::exists(fs::symlink_status(lexical, ec))) {
        return relative ? cwd / lexical : lexical;
    }
    return resolveUnder(relative ? cwd : base, rest);
}

std::string windowsViewOf(const fs::path& host) {
    // Drive roots are compared in canonical form, so the path must be too (symbolic links,
    // relative paths).
    std::error_code canonicalError;
    fs::path target = fs::weakly_canonical(host, canonicalError).lexically_normal();
    if (canonicalError) {
        target = host.lexically_normal();
    }
    bool found = false;
    std::size_t bestLength = 0;
    char bestDrive = 'Z';
    fs::path bestRest;
    for (char d = 'A'; d <= 'Z'; ++d) {
        std::error_code ec;
        const fs::path root = fs::weakly_canonical(driveRoot(d), ec).lexically_normal();
        if (ec) {
            continue;
        }
        const fs::path rel = target.lexically_relative(root);
        if (rel.empty() || *rel.begin() == "..") {
            continue;
        }
        const std::size_t length = pathText(root).size();
        if (!found || length > bestLength) {
            found = true;
            bestLength = length;
            bestDrive = d;
            bestRest = rel == "." ? fs::path() : rel;
        }
    }
    if (!found) {
        bestDrive = 'Z';
        bestRest = target.relative_path();
    }
    std::string out = std::string(1, bestDrive) + ":\\";
    for (char c : pathText(bestRest)) {
        out += c == '/' ? '\\' : c;
    }
    return out;
}

std::string windowsWorkingDirectory() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    if (ec) {
        return "Z:\\";
    }
    return windowsViewOf(cwd);
}

fs::path systemDirectory() {
    const char* set = std::getenv("KOVA_SYSTEM_DIR");
    if (set != nullptr && *set != '\0') {
        return set;
    }
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return {};
    }
    return (exe.parent_path() / ".." / "lib" / "kova").lexically_normal();
}

std::string pathText(const fs::path& p) {
    return p.string();
}

}  // namespace kova
