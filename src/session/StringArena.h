#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// An append-only list of byte strings packed into large blocks: a log that only grows
// (the raw log holds one entry per server line and is never trimmed) costs its bytes
// and 12 more per entry, instead of a string object and a heap block each. A block
// that has filled up is kept compressed and unpacked again only when one of its
// entries is read, which is rare: the view shows a few rows at a time. Compressing is
// the costly part of a flood, so a filled block is compressed on a worker thread and
// read from its plain bytes until the result is taken over.
class StringArena {
public:
    StringArena();
    ~StringArena();
    StringArena(StringArena&&) noexcept;
    StringArena& operator=(StringArena&&) noexcept;

    void push_back(std::string_view text);
    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    // Valid until the next call on this arena.
    std::string_view operator[](std::size_t index) const;
    std::string_view back() const { return (*this)[size() - 1]; }
    std::vector<std::string> ToVector() const;

    // Bytes held for the entries, compressed blocks counted as stored; waits for the
    // compression under way.
    std::size_t StoredBytes();

private:
    static constexpr std::size_t kBlockBytes = 256 * 1024;

    struct Span {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
    };
    struct Block;

    void seal(Block& block);
    // Takes over the blocks whose compression has finished.
    void adoptPacked();
    const char* dataOf(std::uint32_t block) const;

    std::vector<Block> blocks_;
    std::size_t used_ = kBlockBytes; // bytes taken in the open block; full when none is open
    std::vector<Span> spans_;
    std::vector<std::uint32_t> packing_; // blocks being compressed
    // The one sealed block unpacked for reading.
    mutable std::unique_ptr<char[]> unpacked_;
    mutable std::uint32_t unpackedBlock_ = UINT32_MAX;
};

} // namespace pell::session
