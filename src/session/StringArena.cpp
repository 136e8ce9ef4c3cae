#include "session/StringArena.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <system_error>
#include <zlib.h>

namespace pell::session {

struct StringArena::Block {
    std::unique_ptr<char[]> open; // the bytes, until the compressed ones are taken over
    std::vector<unsigned char> packed;
    std::uint32_t size = 0;
    // Declared last, so a block waits for its worker before its bytes are freed.
    std::future<std::vector<unsigned char>> packing;
};

namespace {

// Fast compression; an empty result means the block stays plain: correct, only larger.
std::vector<unsigned char> compressed(const char* bytes, std::uint32_t size)
{
    uLongf packedSize = compressBound(size);
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(bytes), size, 1) != Z_OK)
        return {};
    packed.resize(packedSize);
    packed.shrink_to_fit();
    return packed;
}

} // namespace

StringArena::StringArena() = default;
StringArena::~StringArena() = default;
StringArena::StringArena(StringArena&&) noexcept = default;
StringArena& StringArena::operator=(StringArena&&) noexcept = default;

void StringArena::seal(Block& block)
{
    if (!block.open || block.packing.valid())
        return;
    // The worker only reads the bytes, and nothing writes them once the block is full.
    try {
        block.packing = std::async(std::launch::async, compressed, block.open.get(), block.size);
    } catch (const std::system_error&) {
        // No thread to be had: compress here instead.
        if (auto packed = compressed(block.open.get(), block.size); !packed.empty()) {
            block.packed = std::move(packed);
            block.open.reset();
        }
        return;
    }
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
        adoptPacked();
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

std::size_t StringArena::StoredBytes()
{
    for (const std::uint32_t index : packing_)
        blocks_[index].packing.wait();
    adoptPacked();
    std::size_t bytes = spans_.capacity() * sizeof(Span);
    for (const Block& block : blocks_)
        bytes += block.open ? std::max<std::size_t>(block.size, kBlockBytes) : block.packed.capacity();
    return bytes;
}

} // namespace pell::session
