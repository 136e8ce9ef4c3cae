#include "session/StringArena.h"

#include "session/BlockCompressor.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace pell::session {

namespace {

// Each entry is its length as a little-endian base-128 number, then its bytes.
constexpr std::size_t kMaxLengthBytes = 5;

std::size_t putLength(char* out, std::uint32_t length)
{
    std::size_t used = 0;
    do {
        const auto low = static_cast<unsigned char>(length & 0x7F);
        length >>= 7;
        out[used++] = static_cast<char>(length ? low | 0x80 : low);
    } while (length);
    return used;
}

std::uint32_t getLength(const char*& in)
{
    std::uint32_t length = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    return length;
}

} // namespace

StringArena::StringArena(std::size_t blockBytes) : blockBytes_(std::max<std::size_t>(blockBytes, 64)) {}

StringArena::~StringArena() = default;

void StringArena::seal(Block& block)
{
    if (!block.open || block.packing.valid())
        return;
    // Nothing writes the bytes once the block is full; the job shares them.
    block.packing = BlockCompressor::Submit(block.open, block.size);
    packing_.push_back(static_cast<std::uint32_t>(&block - blocks_.data()));
}

void StringArena::adoptPacked()
{
    std::erase_if(packing_, [this](std::uint32_t index) {
        Block& block = blocks_[index];
        if (block.packing.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return false;
        if (auto packed = block.packing.get(); !packed.empty()) {
            block.packed = std::move(packed);
            block.open.reset();
        }
        return true;
    });
}

StringArena::Ref StringArena::Add(std::string_view text)
{
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), UINT32_MAX - kMaxLengthBytes));
    const std::size_t needed = kMaxLengthBytes + length;
    // Packed blocks are taken over soon after they are done, so their plain bytes go.
    if (!packing_.empty() && ++addsSinceCheck_ % 64 == 0)
        adoptPacked();
    if (blocks_.empty() || capacity_ - blocks_.back().size < needed) {
        if (!blocks_.empty())
            seal(blocks_.back());
        // An entry larger than a block gets a block of its own, so no entry is split.
        capacity_ = std::max(needed, blockBytes_);
        Block block;
        block.start = blocks_.empty() ? 0 : blocks_.back().start + blocks_.back().size;
        block.open = std::shared_ptr<char[]>(new char[capacity_]);
        blocks_.push_back(std::move(block));
    }
    Block& block = blocks_.back();
    const std::uint32_t offset = block.size;
    char* at = block.open.get() + offset;
    const std::size_t prefix = putLength(at, length);
    std::memcpy(at + prefix, text.data(), length);
    block.size = static_cast<std::uint32_t>(offset + prefix + length);
    return block.start + offset;
}

const char* StringArena::dataOf(std::uint32_t index) const
{
    const Block& block = blocks_[index];
    if (block.open)
        return block.open.get();
    if (unpackedBlock_ != index) {
        auto bytes = std::make_unique<char[]>(block.size);
        if (!BlockCompressor::Decompress(block.packed, bytes.get(), block.size))
            std::memset(bytes.get(), 0, block.size); // cannot happen with our own data; stay in bounds
        unpacked_ = std::move(bytes);
        unpackedBlock_ = index;
    }
    return unpacked_.get();
}

std::string_view StringArena::Get(Ref ref) const
{
    const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), ref,
                                        [](Ref position, const Block& block) { return position < block.start; });
    if (after == blocks_.begin())
        return {};
    const auto index = static_cast<std::uint32_t>(after - blocks_.begin() - 1);
    const Ref offset = ref - blocks_[index].start;
    if (offset >= blocks_[index].size)
        return {};
    const char* at = dataOf(index) + offset;
    const std::uint32_t length = getLength(at);
    return {at, length};
}

std::size_t StringArena::StoredBytes()
{
    for (const std::uint32_t index : packing_)
        blocks_[index].packing.wait();
    adoptPacked();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < blocks_.size(); ++i)
        bytes += blocks_[i].open ? (i + 1 == blocks_.size() ? capacity_ : blocks_[i].size) : blocks_[i].packed.capacity();
    return bytes;
}

} // namespace pell::session
