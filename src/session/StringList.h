#pragma once

#include "session/StringArena.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pell::session {

// An append-only list of byte strings whose bytes live in an arena, its own or one
// shared with other lists. Each entry costs about 2 bytes here: positions are kept in
// chunks of 32, the first in full and each other as its step from the one before, and
// the chunks grow one at a time, so a long list never copies itself to grow.
class StringList {
public:
    explicit StringList(std::size_t blockBytes = StringArena::kDefaultBlockBytes);
    // Entries `farStep` bytes or more after the one before are kept apart, in a slower
    // table (a quiet tab's lines in a busy session); the default is the widest step the
    // index can hold.
    explicit StringList(std::shared_ptr<StringArena> arena, std::uint16_t farStep = kFar);

    void push_back(std::string_view text);
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Valid until the next call on this list or on another list of the same arena.
    std::string_view operator[](std::size_t index) const { return arena_->Get(refAt(index)); }
    std::string_view back() const { return (*this)[size() - 1]; }
    std::vector<std::string> ToVector() const;
    // Forgets the entries; their bytes stay in a shared arena until the last list of it goes.
    void clear();

private:
    static constexpr std::size_t kChunk = 32;
    // A step that does not fit: the position is in far_.
    static constexpr std::uint16_t kFar = UINT16_MAX;

    struct Chunk {
        StringArena::Ref First = 0;
        std::array<std::uint16_t, kChunk - 1> Steps{};
    };

    StringArena::Ref refAt(std::size_t index) const;

    std::shared_ptr<StringArena> arena_;
    std::uint16_t farStep_ = kFar;
    StringArena::Ref last_ = 0; // position of the newest entry
    std::deque<Chunk> chunks_;
    std::size_t size_ = 0;
    // Positions too far from their chunk's first one, by entry; rare, in entry order.
    std::vector<std::pair<std::size_t, StringArena::Ref>> far_;
};

} // namespace pell::session
