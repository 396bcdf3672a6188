#include "import/ListBudget.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

namespace kalvor {
namespace {

std::optional<std::string> readSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return text;
}

// The process's group of a hierarchy in /proc/self/cgroup: "0::/path" for version 2,
// "N:memory:/path" (the controllers comma-separated) for version 1.
std::optional<std::string> groupPath(std::string_view table, bool version2) {
    while (!table.empty()) {
        const size_t end = table.find('\n');
        std::string_view line = table.substr(0, end);
        table.remove_prefix(end == std::string_view::npos ? table.size() : end + 1);
        const size_t first = line.find(':');
        const size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, first);
        std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view path = line.substr(second + 1);
        if (version2) {
            if (id == "0" && controllers.empty()) return std::string(path);
            continue;
        }
        while (!controllers.empty()) {
            const size_t comma = controllers.find(',');
            if (controllers.substr(0, comma) == "memory") return std::string(path);
            if (comma == std::string_view::npos) break;
            controllers.remove_prefix(comma + 1);
        }
    }
    return std::nullopt;
}

// The smallest limit of the group and of the groups above it (a parent's limit holds
// for its children too), in the hierarchy mounted at root.
std::optional<std::size_t> groupLimit(const std::string& root, std::string path, const char* file) {
    std::optional<std::size_t> least;
    for (;;) {
        if (const auto text = readSmallFile(root + path + (path.ends_with('/') ? "" : "/") + file))
            if (const auto limit = parseMemoryLimit(*text)) least = std::min(least.value_or(*limit), *limit);
        const size_t slash = path.find_last_of('/');
        if (path.empty() || path == "/" || slash == std::string::npos) break;
        path.resize(slash == 0 ? 1 : slash);
    }
    return least;
}

}  // namespace

std::optional<std::size_t> parseMemoryLimit(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    std::size_t bytes = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bytes);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return bytes;
}

void preferHugePages(void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Only the whole huge pages inside the block, so that nothing beyond it changes.
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHuge - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

std::size_t usableMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    std::size_t memory = std::numeric_limits<std::size_t>::max();
    if (pages > 0 && pageSize > 0) memory = static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
    const auto table = readSmallFile("/proc/self/cgroup");
    if (!table) return memory;
    // Version 2 is mounted on its own or, beside version 1, as "unified".
    if (const auto path = groupPath(*table, true)) {
        for (const char* root : {"/sys/fs/cgroup", "/sys/fs/cgroup/unified"})
            if (const auto limit = groupLimit(root, *path, "memory.max")) memory = std::min(memory, *limit);
    }
    if (const auto path = groupPath(*table, false)) {
        if (const auto limit = groupLimit("/sys/fs/cgroup/memory", *path, "memory.limit_in_bytes"))
            memory = std::min(memory, *limit);
    }
    return memory;
}

ListBudget::Reservation::Reservation(Reservation&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

ListBudget::Reservation& ListBudget::Reservation::operator=(Reservation&& other) noexcept {
    if (this != &other) {
        giveBack();
        budget_ = std::exchange(other.budget_, nullptr);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

ListBudget::Reservation::~Reservation() { giveBack(); }

void ListBudget::Reservation::giveBack() {
    if (budget_) budget_->release(bytes_);
    budget_ = nullptr;
    bytes_ = 0;
}

std::optional<ListBudget::Reservation> ListBudget::reserve(std::size_t bytes) {
    if (bytes > bytes_) return std::nullopt;
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return bytes_ - reserved_ >= bytes; });
    reserved_ += bytes;
    peak_ = std::max(peak_, reserved_);
    return Reservation(this, bytes);
}

std::size_t ListBudget::peak() const {
    const std::lock_guard lock(mutex_);
    return peak_;
}

void ListBudget::release(std::size_t bytes) {
    {
        const std::lock_guard lock(mutex_);
        reserved_ -= bytes;
    }
    freed_.notify_all();
}

}  // namespace kalvor
