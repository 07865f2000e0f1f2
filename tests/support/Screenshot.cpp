#include "support/Screenshot.h"

#include "common/Handles.h"
#include "support/PngWriter.h"
#include "support/TestFiles.h"

namespace {

// A window DC is given back with its window, so it does not fit UniqueHolder's traits.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// DIB rows are BGR and padded to four bytes; PNG rows are RGB and packed.
std::vector<uint8_t> packedRgb(const uint8_t* bits, int width, int height) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        const uint8_t* pixel = bits + row * stride;
        for (int column = 0; column < width; ++column, pixel += 3) rgb.insert(rgb.end(), {pixel[2], pixel[1], pixel[0]});
    }
    return rgb;
}

}  // namespace

// Each window's own pixels, frame included, placed where it is on the screen; later windows
// over earlier ones.
bool saveWindowsPng(const std::vector<HWND>& windows, const std::string& path) {
    RECT area = {};
    for (const HWND window : windows) {
        RECT bounds;
        if (!GetWindowRect(window, &bounds)) return false;
        UnionRect(&area, &area, &bounds);
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const ScopedMemoryDc memory(CreateCompatibleDC(nullptr));
    if (!memory) return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, as PNG stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const ScopedGdiObject bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return false;
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    bool copied = true;
    for (const HWND window : windows) {
        RECT bounds;
        GetWindowRect(window, &bounds);
        const WindowDc source(window);
        copied = copied && source.get() &&
                 BitBlt(memory.get(), bounds.left - area.left, bounds.top - area.top, bounds.right - bounds.left,
                        bounds.bottom - bounds.top, source.get(), 0, 0, SRCCOPY);
    }
    SelectObject(memory.get(), previous);
    GdiFlush();
    return copied && writeFile(path, encodePng(width, height, packedRgb(static_cast<const uint8_t*>(bits), width, height)));
}

bool saveWindowPng(HWND window, const std::string& path) { return saveWindowsPng({window}, path); }

std::string screenshotPath(const std::string& name) {
    const std::string folder = testProgramFolder() + "\\screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name + ".png";
}
