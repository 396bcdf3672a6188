#pragma once
// Memory for the lists of numbers that several imports hold at once. Each list
// reserves its size before it is allocated and gives it back when it is freed, so
// that imports side by side take no more together than one may take alone.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string_view>

namespace kalvor {

// The memory this process may use: the machine's memory, or less where a control
// group (version 2 or 1) limits the process.
std::size_t usableMemory();
// A control group's memory limit file as the kernel writes it: a number of bytes,
// or "max" (version 2) for none. Nothing when there is no limit.
std::optional<std::size_t> parseMemoryLimit(std::string_view text);
// Asks the kernel to back a large, not yet touched block with huge pages where it
// offers them on request: a list of millions of numbers is then filled after a
// few dozen page faults instead of thousands. Only a hint; nothing changes elsewhere.
void preferHugePages(void* block, std::size_t bytes);

class ListBudget {
public:
    explicit ListBudget(std::size_t bytes) : bytes_(bytes) {}
    ListBudget(const ListBudget&) = delete;
    ListBudget& operator=(const ListBudget&) = delete;

    // Bytes held until it is destroyed or moved from.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(Reservation&& other) noexcept;
        Reservation& operator=(Reservation&& other) noexcept;
        ~Reservation();

    private:
        friend class ListBudget;
        Reservation(ListBudget* budget, std::size_t bytes) : budget_(budget), bytes_(bytes) {}
        void giveBack();
        ListBudget* budget_ = nullptr;
        std::size_t bytes_ = 0;
    };

    std::size_t bytes() const { return bytes_; }
    // Waits until bytes are free; nothing, at once, when they exceed the whole budget.
    // A caller must hold no other reservation of this budget while it waits.
    std::optional<Reservation> reserve(std::size_t bytes);
    // The most that was reserved at once.
    std::size_t peak() const;

private:
    void release(std::size_t bytes);

    const std::size_t bytes_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::size_t reserved_ = 0;
    std::size_t peak_ = 0;
};

}  // namespace kalvor
