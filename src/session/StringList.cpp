#include "session/StringList.h"

#include <algorithm>

namespace pell::session {

StringList::StringList(std::size_t blockBytes) : arena_(std::make_shared<StringArena>(blockBytes)) {}

StringList::StringList(std::shared_ptr<StringArena> arena, std::uint16_t farStep)
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
        // A list sharing its arena with busier ones can see its entries far apart.
        const StringArena::Ref step = ref - last_;
        const bool far = step >= farStep_;
        if (far)
            far_.emplace_back(size_, ref);
        chunks_.back().Steps[slot - 1] = far ? kFar : static_cast<std::uint16_t>(step);
    }
    last_ = ref;
    ++size_;
}

StringArena::Ref StringList::refAt(std::size_t index) const
{
    const Chunk& chunk = chunks_[index / kChunk];
    const std::size_t first = index - index % kChunk;
    StringArena::Ref ref = chunk.First;
    for (std::size_t entry = first + 1; entry <= index; ++entry) {
        const std::uint16_t step = chunk.Steps[entry - first - 1];
        if (step != kFar) {
            ref += step;
            continue;
        }
        const auto far = std::lower_bound(far_.begin(), far_.end(), std::pair{entry, StringArena::Ref{0}});
        ref = far != far_.end() && far->first == entry ? far->second : 0;
    }
    return ref;
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
    last_ = 0;
    if (arena_.use_count() == 1)
        arena_ = std::make_shared<StringArena>(arena_->BlockBytes());
}

} // namespace pell::session
