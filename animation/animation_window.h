#pragma once

// The application: six mutating phasors summed head to tail, a fading background and a status
// overlay, drawn one whole frame per paint of the saver window.

#include "animation/buffered_painter.h"
#include "animation/handle_owners.h"
#include "animation/routed_window.h"
#include "model/mutating_phasor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

struct FadeChannel {
    std::int32_t target = 0;
    std::int32_t start = 0;
    std::int32_t current = 0;
};

struct BackgroundFade {
    FadeChannel red;
    FadeChannel green;
    FadeChannel blue;
    std::int32_t frames = 0;
    std::int32_t frame = 0;
};

class AnimationWindow final : public RoutedWindow, public BufferedPainter<AnimationWindow> {
  public:
    static constexpr std::size_t PhasorCount = 6;
    static constexpr std::int32_t MarkerCycle = 600;
    static constexpr int RateLineSize = 512;

    AnimationWindow();
    ~AnimationWindow();

    // Re-randomises the whole figure and starts a new cycle, background and budget.
    void Restart();
    // Starts a new background fade from the colour shown now.
    void RetargetBackground();
    // Takes the client rectangle and makes the overlay font, once the window exists.
    void PrepareWindow();
    // The window's creation: routing, start-up, and the request for the first paint.
    LRESULT Create(HWND created);

    // One whole frame into `dc`, whose coordinates are client coordinates.
    void DrawFrame(HDC dc);
    // The frame-rate measurement; `now` is the frame's clock reading in milliseconds.
    void CountFrame(std::int32_t now);
    void DrawOverlay(HDC dc);
    // The rate line's text into `line` (RateLineSize characters).
    void ComposeRateLine(char* line) const;

    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) override;

    RECT clientRect{0, 0, 0, 0};
    bool animate = false;
    std::int32_t markerIndex = 0;
    std::int32_t frameCount = 0;
    std::int32_t frameBudget = 0;
    BackgroundFade background;
    FontOwner font;
    double rateMark = 0.0;
    std::int32_t rateFrames = 0;
    double frameRate = 0.0;
    std::int32_t cycleStart = 0;
    std::array<std::unique_ptr<MutatingPhasor>, PhasorCount> phasors;
};

// The one application object of the process, built during static initialisation.
AnimationWindow& TheAnimationWindow();

extern const char* const CreditLine;
