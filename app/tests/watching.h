#pragma once

// What the live displays' tests watch from outside: a state awaited within a bound, the figure
// judged in a picture read back from the screen, a command's or a file's words.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// `state`'s first result that holds within `time` (asked every `every`), else its last.
template <class State>
auto Within(std::chrono::milliseconds time, State&& state, std::chrono::milliseconds every = 20ms) {
    for (const auto end = std::chrono::steady_clock::now() + time;;
         std::this_thread::sleep_for(every)) {
        auto result = state();
        if (result || std::chrono::steady_clock::now() >= end) {
            return result;
        }
    }
}

struct Area {
    int left, top, right, bottom;
};

// Pixels read back from a screen or a window, as the server holds them (0xRRGGBB at depth 24).
struct Snapshot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int Count(const Area& a, auto&& wanted) const {
        int found = 0;
        for (int y = a.top; y < a.bottom; ++y) {
            for (int x = a.left; x < a.right; ++x) {
                found += wanted(At(x, y));
            }
        }
        return found;
    }
    std::uint32_t Commonest(const Area& a) const {
        std::map<std::uint32_t, int> counts;
        Count(a, [&](std::uint32_t pixel) { return ++counts[pixel], false; });
        return std::max_element(counts.begin(), counts.end(),
                                [](auto& one, auto& other) { return one.second < other.second; })
            ->first;
    }
    bool AllOf(std::uint32_t colour) const {
        return !pixels.empty() && std::all_of(pixels.begin(), pixels.end(),
                                              [colour](std::uint32_t p) { return p == colour; });
    }
};

// Whether the area shows the figure: over a background (the commonest colour) that fills at
// least half of it, lines in each quarter; with `credit`, the credit line along its bottom in
// the text's colour, the background's dim complement.
inline ::testing::AssertionResult ShowsTheFigure(const Snapshot& p, const Area& a,
                                                 bool credit = true) {
    if (p.width < a.right || p.height < a.bottom) {
        return ::testing::AssertionFailure() << "no picture";
    }
    const std::uint32_t background = p.Commonest(a);
    std::uint32_t text = 0;
    for (const int shift : {16, 8, 0}) {
        text |= (255 - (background >> shift & 0xFF)) / 3 << shift;
    }
    const auto drawn = [&](int x0, int y0, int x1, int y1) {
        return p.Count({x0, y0, x1, y1}, [&](std::uint32_t c) { return c != background; });
    };
    const int midX = (a.left + a.right) / 2, midY = (a.top + a.bottom) / 2;
    const int top = a.top + 16, bottom = a.bottom - 16;
    if (drawn(a.left, a.top, a.right, a.bottom) * 2 > (a.right - a.left) * (a.bottom - a.top)) {
        return ::testing::AssertionFailure() << "the background fills less than half";
    }
    for (const auto& [x0, y0, x1, y1] : {std::array{a.left, top, midX, midY},
                                         {midX, top, a.right, midY},
                                         {a.left, midY, midX, bottom},
                                         {midX, midY, a.right, bottom}}) {
        if (drawn(x0, y0, x1, y1) < 20) {
            return ::testing::AssertionFailure() << "nothing drawn in " << x0 << "," << y0;
        }
    }
    for (const auto& [x, y] : {std::pair{a.left, a.top},
                               {a.right - 8, a.top},
                               {a.left, a.bottom - 8},
                               {a.right - 8, a.bottom - 8}}) {
        if (drawn(x, y, x + 8, y + 8) == 64) {
            return ::testing::AssertionFailure() << "no background at corner " << x << "," << y;
        }
    }
    if (!credit) {
        return ::testing::AssertionSuccess();
    }
    const Area line{a.left + 3, a.bottom - 13, std::min(a.right, a.left + 150), a.bottom - 3};
    const int creditPixels = p.Count(line, [&](std::uint32_t c) { return c == text; });
    return creditPixels >= 40
               ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure() << creditPixels << " pixels of the credit line";
}

// What a shell command printed (stdout and stderr) and its exit code.
inline std::pair<int, std::string> Shell(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        output.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// A file's lines: a protocol log, a program's errors.
inline std::vector<std::string> LinesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}
