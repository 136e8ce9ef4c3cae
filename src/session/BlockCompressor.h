#pragma once

#include <cstddef>
#include <future>
#include <memory>
#include <vector>

namespace pell::session {

// Compresses filled text blocks on one background thread shared by every store, so a
// flood costs the GUI thread a copy per line and nothing more. The thread is started on
// the first block and finishes every queued block before the program ends.
namespace BlockCompressor {

// The packed form of the bytes, or an empty result when they do not shrink (the block
// then stays plain: correct, only larger). The job holds the bytes until it is done.
std::future<std::vector<unsigned char>> Submit(std::shared_ptr<const char[]> bytes, std::size_t size);

// Unpacks exactly `size` bytes into `out`; false when the packed bytes are not ours.
bool Decompress(const std::vector<unsigned char>& packed, char* out, std::size_t size);

} // namespace BlockCompressor

} // namespace pell::session
