#pragma once

namespace vektrano {

// A point or a vector in the drawing's plane.
struct Point
{
    double x = 0;
    double y = 0;

    friend constexpr Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend constexpr Point operator*(double s, Point p) { return {s * p.x, s * p.y}; }
    friend constexpr bool operator==(Point, Point) = default;
};

constexpr double Dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
// The z of the 3D cross product: positive when b lies counter-clockwise of a.
constexpr double Cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }

} // namespace vektrano
