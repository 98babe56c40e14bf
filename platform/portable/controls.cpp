#include "platform/portable/controls.h"

#include "platform/portable/message_queue.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <cerrno>
#include <cstdio>
#include <png.h>

namespace portable {

void ResetKernel();

namespace {

LPARAM ClientPoint(HWND window, POINT screen) {
    const POINT origin = ClientToScreenPoint(window, {0, 0});
    const DWORD x = static_cast<DWORD>(screen.x - origin.x) & 0xFFFFu;
    const DWORD y = static_cast<DWORD>(screen.y - origin.y) & 0xFFFFu;
    return static_cast<LPARAM>(y << 16 | x);
}

bool IsKeyMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

} // namespace

void MovePointer(POINT screen) {
    CurrentDisplay().MoveCursor(screen);
    const HWND under = WindowAtPoint(screen);
    QueueInput(under, WM_MOUSEMOVE, 0, ClientPoint(under, screen));
}

void QueuePointerMotion(HWND top, POINT client) {
    const HWND under = WindowAtClientPoint(top, client);
    QueueInput(under, WM_MOUSEMOVE, 0, ClientPoint(under, ClientToScreenPoint(top, client)));
}

void QueueButton(HWND top, POINT client, UINT message, WPARAM wParam) {
    const HWND under = WindowAtClientPoint(top, client);
    QueueInput(under, message, wParam, ClientPoint(under, ClientToScreenPoint(top, client)));
}

void PressInput(UINT message, WPARAM wParam) {
    if (IsKeyMessage(message)) {
        QueueInput(GetForegroundWindow(), message, wParam, 1);
        return;
    }
    const POINT pointer = CurrentDisplay().CursorPosition();
    const HWND under = WindowAtPoint(pointer);
    QueueInput(under, message, wParam, ClientPoint(under, pointer));
}

void DeactivateApplication() {
    if (const HWND active = GetForegroundWindow()) {
        QueueSystemMessage(active, WM_ACTIVATEAPP, FALSE, 0);
    }
    LeaveForeground();
}

void SendSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    QueueSystemMessage(window, message, wParam, lParam);
}

Surface CaptureClientArea(HWND window) {
    Surface* surface = nullptr;
    POINT offset{0, 0};
    WindowSurface(window, surface, offset);
    const RECT area = WindowClientArea(window);
    Surface image;
    if (surface == nullptr || IsEmptyRect(area)) {
        return image;
    }
    image.Resize(area.right - area.left, area.bottom - area.top);
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = surface->Row(area.top + offset.y + y) + area.left + offset.x;
        std::copy(row, row + image.width, image.Row(y));
    }
    return image;
}

bool WritePng(const Surface& image, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    // Built before setjmp: a libpng error jumps back over this frame.
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                     static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.height; ++y) {
            const std::uint32_t* pixels = image.Row(y);
            for (int x = 0; x < image.width; ++x) {
                row[3 * x] = static_cast<png_byte>(pixels[x] >> 16);
                row[3 * x + 1] = static_cast<png_byte>(pixels[x] >> 8);
                row[3 * x + 2] = static_cast<png_byte>(pixels[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(file) == 0;
    if (!written && errno == 0) {
        errno = EIO;
    }
    return written && closed;
}

void ResetPlatform() {
    ResetWindowManager();
    ResetMessageQueue();
    ResetKernel();
    SetDisplay(nullptr);
}

} // namespace portable
