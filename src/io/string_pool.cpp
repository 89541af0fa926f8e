#include "io/string_pool.h"

std::string& StringPool::Add(std::string_view text) {
    // A deque never moves its elements when it grows at the end.
    return strings_.emplace_back(text);
}
