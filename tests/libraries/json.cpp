// A program that uses a JSON library: parse, change, print.
#include <iostream>
#include <nlohmann/json.hpp>

int main() {
    nlohmann::json doc = nlohmann::json::parse(R"({"name": "blur", "sizes": [3, 5, 7]})");
    doc["sizes"].push_back(9);
    doc["radius"] = 2.5;
    std::cout << doc.dump() << "\n";
}
