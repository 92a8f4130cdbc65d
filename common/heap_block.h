#pragma once
// Blocks of the C heap that change hands (a text posted with a message, a reply body returned
// to the caller): whoever holds one frees it with free().
#include <cstdlib>
#include <memory>

struct FreeDeleter {
  void operator()(void* block) const { std::free(block); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;
