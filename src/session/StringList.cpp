#include "session/StringList.h"

#include <algorithm>

namespace pell::session {

StringList::StringList(std::size_t blockBytes) : arena_(std::make_shared<StringArena>(blockBytes)) {}

StringList::StringList(std::shared_ptr<StringArena> arena, std::uint32_t farStep)
    : arena_(arena ? std::move(arena) : std::make_shared<StringArena>()), farStep_(std::min(farStep, kFar))
{
}

void StringList::push_back(std::string_view text)
{
    const StringArena::Ref ref = arena_->Add(text);
    const std::size_t slot = size_ % kChunk;
    if (slot == 0) {
        chunks_.emplace_back().First = ref;
    } else {
        // A list sharing its arena with a busy one can see its entries far apart.
        const StringArena::Ref step = ref - chunks_.back().First;
        const bool far = step >= farStep_;
        if (far)
            far_.emplace_back(size_, ref);
        chunks_.back().Steps[slot - 1] = far ? kFar : static_cast<std::uint32_t>(step);
    }
    ++size_;
}

StringArena::Ref StringList::refAt(std::size_t index) const
{
    const Chunk& chunk = chunks_[index / kChunk];
    const std::size_t slot = index % kChunk;
    if (slot == 0)
        return chunk.First;
    if (chunk.Steps[slot - 1] != kFar)
        return chunk.First + chunk.Steps[slot - 1];
    const auto far = std::lower_bound(far_.begin(), far_.end(), std::pair{index, StringArena::Ref{0}});
    return far != far_.end() && far->first == index ? far->second : 0;
}

std::vector<std::string> StringList::ToVector() const
{
    std::vector<std::string> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        out.emplace_back((*this)[i]);
    return out;
}

void StringList::clear()
{
    std::deque<Chunk>().swap(chunks_);
    std::vector<std::pair<std::size_t, StringArena::Ref>>().swap(far_);
    size_ = 0;
    if (arena_.use_count() == 1)
        arena_ = std::make_shared<StringArena>(arena_->BlockBytes());
}

} // namespace pell::session
