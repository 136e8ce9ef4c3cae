#include "session/StringArena.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace pell::session {

struct StringArena::Block {
    std::unique_ptr<char[]> open; // the bytes, while the block still takes entries
    std::vector<unsigned char> packed;
    std::uint32_t size = 0;
};

StringArena::StringArena() = default;
StringArena::~StringArena() = default;
StringArena::StringArena(StringArena&&) noexcept = default;
StringArena& StringArena::operator=(StringArena&&) noexcept = default;

void StringArena::seal(Block& block)
{
    if (!block.open)
        return;
    uLongf packedSize = compressBound(block.size);
    std::vector<unsigned char> packed(packedSize);
    // Fast compression: a log block is sealed on the GUI thread while lines pour in.
    if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(block.open.get()), block.size, 1) != Z_OK)
        return; // keep it open: correct, only larger
    packed.resize(packedSize);
    packed.shrink_to_fit();
    block.packed = std::move(packed);
    block.open.reset();
}

void StringArena::push_back(std::string_view text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), UINT32_MAX);
    if (length == 0) {
        spans_.push_back({0, 0, 0});
        return;
    }
    // An entry larger than a block gets a block of its own, so no entry is split.
    const std::size_t capacity = std::max(length, kBlockBytes);
    if (blocks_.empty() || kBlockBytes - std::min(used_, kBlockBytes) < length) {
        if (!blocks_.empty())
            seal(blocks_.back());
        Block block;
        block.open = std::make_unique<char[]>(capacity);
        blocks_.push_back(std::move(block));
        used_ = 0;
    }
    Block& block = blocks_.back();
    std::memcpy(block.open.get() + used_, text.data(), length);
    spans_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(used_),
                      static_cast<std::uint32_t>(length)});
    used_ += length;
    block.size = static_cast<std::uint32_t>(used_);
}

const char* StringArena::dataOf(std::uint32_t index) const
{
    const Block& block = blocks_[index];
    if (block.open)
        return block.open.get();
    if (unpackedBlock_ != index) {
        auto bytes = std::make_unique<char[]>(block.size);
        uLongf size = block.size;
        if (uncompress(reinterpret_cast<Bytef*>(bytes.get()), &size, block.packed.data(), block.packed.size()) != Z_OK)
            std::memset(bytes.get(), 0, block.size); // cannot happen with our own data; stay in bounds
        unpacked_ = std::move(bytes);
        unpackedBlock_ = index;
    }
    return unpacked_.get();
}

std::string_view StringArena::operator[](std::size_t index) const
{
    const Span& span = spans_[index];
    if (span.length == 0)
        return {};
    return {dataOf(span.block) + span.offset, span.length};
}

std::vector<std::string> StringArena::ToVector() const
{
    std::vector<std::string> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        out.emplace_back((*this)[i]);
    return out;
}

std::size_t StringArena::StoredBytes() const
{
    std::size_t bytes = spans_.capacity() * sizeof(Span);
    for (const Block& block : blocks_)
        bytes += block.open ? std::max<std::size_t>(block.size, kBlockBytes) : block.packed.capacity();
    return bytes;
}

} // namespace pell::session
