#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string_view>
#include <vector>

namespace pell::session {

// Append-only storage for byte strings, packed into large blocks: a log that only grows
// costs its bytes and no heap block per entry. A filled block is compressed on a
// background thread and unpacked again only when one of its entries is read, which is
// rare: the views show a few rows at a time. A session keeps its raw server lines and
// the text they became in one arena, side by side, so each line's words are packed
// once for both.
class StringArena {
public:
    // Where an entry lives: its position in the arena's bytes, counted as if no block
    // were packed. Later entries have larger positions.
    using Ref = std::uint64_t;

    explicit StringArena(std::size_t blockBytes = kDefaultBlockBytes);
    ~StringArena();
    StringArena(const StringArena&) = delete;
    StringArena& operator=(const StringArena&) = delete;

    Ref Add(std::string_view text);
    // Valid until the next call on this arena.
    std::string_view Get(Ref ref) const;

    // Bytes held, compressed blocks counted as stored; waits for the compression under way.
    std::size_t StoredBytes();

    std::size_t BlockBytes() const { return blockBytes_; }

    // Small enough that the plain newest block and its compression stay cheap, large
    // enough for the compressor to find the words lines share.
    static constexpr std::size_t kDefaultBlockBytes = 256 * 1024;

private:
    struct Block {
        std::uint64_t start = 0; // position of the first byte
        std::shared_ptr<char[]> open; // the plain bytes, until the packed ones are taken over
        std::vector<unsigned char> packed;
        std::uint32_t size = 0;
        std::future<std::vector<unsigned char>> packing;
    };

    void seal(Block& block);
    // Takes over the blocks whose compression has finished.
    void adoptPacked();
    const char* dataOf(std::uint32_t block) const;

    std::size_t blockBytes_;
    std::vector<Block> blocks_;
    std::size_t capacity_ = 0; // of the open block; 0 when none is open
    std::vector<std::uint32_t> packing_; // blocks being compressed
    std::uint32_t addsSinceCheck_ = 0;
    // The one packed block unpacked for reading.
    mutable std::unique_ptr<char[]> unpacked_;
    mutable std::uint32_t unpackedBlock_ = UINT32_MAX;
};

} // namespace pell::session
