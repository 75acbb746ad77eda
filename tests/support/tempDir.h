// A fresh folder of the test's own, removed with everything in it at the end.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace keyloom::test {

class TempDir {
public:
    TempDir() {
        const auto base = std::filesystem::temp_directory_path();
        std::random_device random;
        do path_ = base / ("keyloom-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    operator const std::filesystem::path&() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // As the product takes paths: UTF-8 text.
    std::string str(const std::string& name = {}) const {
        const std::filesystem::path inside(std::u8string(name.begin(), name.end()));
        const auto text = (path_ / inside).u8string();
        return {text.begin(), text.end()};
    }

private:
    std::filesystem::path path_;
};

// The names in `folder`, sorted: a save that failed leaves no temporary file.
inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace keyloom::test
