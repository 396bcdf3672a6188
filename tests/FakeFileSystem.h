#pragma once
// An in-memory file system for the import: files with one content per opening
// (to change a file between the two passes), and files that fail while read.

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "import/FileSystem.h"

namespace kalvor::testing {

// Gives its bytes, then fails as a disk does: the stream goes bad.
class FailingBuffer final : public std::streambuf {
public:
    explicit FailingBuffer(std::string bytes) : bytes_(std::move(bytes)) {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }

protected:
    int_type underflow() override { throw std::runtime_error("read error"); }

private:
    std::string bytes_;
};

class FailingStream final : public std::istream {
public:
    explicit FailingStream(std::string bytes) : std::istream(nullptr), buffer_(std::move(bytes)) { rdbuf(&buffer_); }

private:
    FailingBuffer buffer_;
};

class MemoryFileSystem final : public FileSystem {
public:
    // The content a file shows at its n-th opening; the last one stays.
    void add(const std::string& path, std::vector<std::string> versions) { files_[path] = {std::move(versions), 0}; }
    void add(const std::string& path, const std::string& content) { add(path, std::vector<std::string>{content}); }
    void addFailing(const std::string& path, const std::string& bytesBeforeError) { failing_[path] = bytesBeforeError; }
    void remove(const std::string& path) { files_.erase(path); }

    std::vector<std::string> drives() override { return {"/"}; }
    std::optional<std::vector<std::string>> subdirectories(const std::string& dir) override {
        if (!directories.contains(dir)) return std::nullopt;
        std::vector<std::string> names;
        for (const std::string& d : directories)
            if (d != "/" && parentOf(d) == dir) names.push_back(nameOf(d));
        return names;
    }
    std::optional<std::vector<std::string>> files(const std::string& dir) override {
        if (!directories.contains(dir)) return std::nullopt;
        std::vector<std::string> names;
        for (const auto& [path, file] : files_)
            if (parentOf(path) == dir) names.push_back(nameOf(path));
        for (const auto& [path, bytes] : failing_)
            if (parentOf(path) == dir) names.push_back(nameOf(path));
        return names;
    }
    std::unique_ptr<std::istream> open(const std::string& path) override {
        opened.push_back(path);
        if (auto f = failing_.find(path); f != failing_.end()) return std::make_unique<FailingStream>(f->second);
        auto it = files_.find(path);
        if (it == files_.end()) return nullptr;
        File& file = it->second;
        const std::string& content = file.versions[std::min(file.opens++, file.versions.size() - 1)];
        return std::make_unique<std::istringstream>(content);
    }
    std::string currentDirectory() override { return cwd; }

    std::set<std::string> directories{"/", "/data"};
    std::string cwd = "/data";
    std::vector<std::string> opened;

private:
    struct File {
        std::vector<std::string> versions;
        size_t opens = 0;
    };
    static std::string parentOf(const std::string& path) {
        const auto slash = path.rfind('/');
        return slash == 0 ? "/" : path.substr(0, slash);
    }
    static std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

    std::map<std::string, File> files_;
    std::map<std::string, std::string> failing_;
};

}  // namespace kalvor::testing
