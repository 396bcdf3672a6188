#pragma once
// An in-memory file system for the import: files with one content per opening
// (to change a file between the two passes), and files that fail while read.

#include <algorithm>
#include <array>
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

// A file of `size` equal bytes that exists only as it is read, so that a test can
// offer gigabytes; counts what was read.
class EndlessBuffer final : public std::streambuf {
public:
    EndlessBuffer(char byte, unsigned long long size) : left_(size) { block_.fill(byte); }
    unsigned long long delivered = 0;

protected:
    int_type underflow() override {
        if (left_ == 0) return traits_type::eof();
        const auto n = static_cast<std::size_t>(std::min<unsigned long long>(left_, block_.size()));
        left_ -= n;
        delivered += n;
        setg(block_.data(), block_.data(), block_.data() + n);
        return traits_type::to_int_type(block_[0]);
    }

private:
    std::array<char, 4096> block_{};
    unsigned long long left_;
};

class MemoryFileSystem final : public FileSystem {
public:
    // The content a file shows at its n-th opening; the last one stays.
    void add(const std::string& path, std::vector<std::string> versions) { files_[path] = {std::move(versions), 0}; }
    void add(const std::string& path, const std::string& content) { add(path, std::vector<std::string>{content}); }
    void addFailing(const std::string& path, const std::string& bytesBeforeError) { failing_[path] = bytesBeforeError; }
    void remove(const std::string& path) { files_.erase(path); }
    // A file listed but refused when opened, for the given reason.
    void addRefused(const std::string& path, FileError error) { errors_[path] = error; }
    // A file read through the given buffer, which the test keeps.
    void addBuffer(const std::string& path, std::streambuf& buffer) { buffers_[path] = &buffer; }

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
        for (const auto& [path, buffer] : buffers_)
            if (parentOf(path) == dir) names.push_back(nameOf(path));
        for (const auto& [path, error] : errors_)
            if (parentOf(path) == dir) names.push_back(nameOf(path));
        return names;
    }
    OpenedFile open(const std::string& path) override {
        opened.push_back(path);
        if (auto f = failing_.find(path); f != failing_.end())
            return openedFile(std::make_unique<FailingStream>(f->second));
        if (auto b = buffers_.find(path); b != buffers_.end())
            return openedFile(std::make_unique<std::istream>(b->second));
        if (auto e = errors_.find(path); e != errors_.end()) return openedFile(nullptr, e->second);
        auto it = files_.find(path);
        if (it == files_.end()) return openedFile(nullptr, FileError::NotFound);
        File& file = it->second;
        const std::string& content = file.versions[std::min(file.opens++, file.versions.size() - 1)];
        return openedFile(std::make_unique<std::istringstream>(content), FileError::None, content.size());
    }
    static OpenedFile openedFile(std::unique_ptr<std::istream> stream, FileError error = FileError::None,
                                 std::uint64_t size = 0) {
        OpenedFile file;
        file.stream = std::move(stream);
        file.error = error;
        file.size = size;
        return file;
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
    std::map<std::string, std::streambuf*> buffers_;
    std::map<std::string, FileError> errors_;
};

}  // namespace kalvor::testing
