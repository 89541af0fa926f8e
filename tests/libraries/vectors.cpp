// A program that uses a vector math library.
#include <cstdio>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

int main() {
    const glm::mat4 turn = glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 0, 1));
    const glm::vec4 moved = turn * glm::vec4(1, 0, 0, 1);
    std::printf("%.3f %.3f %.3f\n", moved.x, moved.y, glm::dot(glm::vec3(1, 2, 3), glm::vec3(4, 5, 6)));
}
