// Move-only owners of Win32 handles and GDI objects: each releases what it
// holds exactly once, when it goes out of scope. They cannot be copied (a
// copy would release the object twice).
#pragma once

#include <windows.h>

#include <utility>

// A kernel handle (event, thread, file). Both null and INVALID_HANDLE_VALUE
// count as "none", because CreateEvent/CreateThread give the one and
// CreateFile the other.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr)
    {
        if (*this)
            CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// A GDI object the program created (font, brush, pen, bitmap): DeleteObject.
template <typename T>
class ScopedGdiObject {
public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(T object) : object_(object) {}
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ~ScopedGdiObject() { reset(); }

    T get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset()
    {
        if (object_)
            DeleteObject(object_);
        object_ = nullptr;
    }

private:
    T object_ = nullptr;
};

using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;

// An object selected into a device context; the previous one goes back in
// when this ends, so the caller's object can then be deleted safely.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ScopedSelect(ScopedSelect&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr))
    {
    }
    ScopedSelect& operator=(ScopedSelect&&) = delete;
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect()
    {
        if (dc_ && previous_)
            SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint ... EndPaint of one WM_PAINT.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    ScopedPaint(ScopedPaint&&) = delete;
    ScopedPaint& operator=(ScopedPaint&&) = delete;
    ~ScopedPaint() { EndPaint(window_, &paint_); }

    HDC dc() const { return dc_; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// A window's device context outside WM_PAINT (GetDC ... ReleaseDC).
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    ScopedWindowDc(ScopedWindowDc&&) = delete;
    ScopedWindowDc& operator=(ScopedWindowDc&&) = delete;
    ~ScopedWindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }

    HDC dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
