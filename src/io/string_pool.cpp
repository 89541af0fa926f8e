#include "io/string_pool.h"

std::string& StringPool::Add(std::string_view text) {
    // A deque never moves its elements when it grows at the end.
    return strings_.emplace_back(text);
}

const std::string& StringPool::Intern(std::string_view text) {
    const auto found = interned_.find(text);
    if (found != interned_.end()) return *found->second;
    const std::string& stored = strings_.emplace_back(text);
    interned_.emplace(stored, &stored);
    return stored;
}
