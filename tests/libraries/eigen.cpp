// A program that uses a linear algebra library, whose plugin headers read themselves twice.
#include <Eigen/Dense>
#include <iostream>

int main() {
    Eigen::Matrix3d m = Eigen::Matrix3d::Identity() * 2.0;
    Eigen::Vector3d v(1, 2, 3);
    std::cout << (m * v).transpose() << "\n" << m.inverse() << "\n";
}
