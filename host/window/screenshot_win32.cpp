// Pictures of the host's windows: the window as it is on the screen, frame
// included, copied into a 32-bit DIB section and written as a PNG file by
// the system's own encoder (Windows Imaging Component).
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/window/host_app.h"

namespace {

// Holds one COM interface and releases it when it goes.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    // For the functions that hand back a new reference.
    Interface** receive() { return &pointer_; }
    void** receiveVoid() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

std::string failed(const char* step, HRESULT result) {
    char text[80];
    std::snprintf(text, sizeof text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(result));
    return text;
}

// COM for this thread, once: the pictures are taken on the UI thread.
bool comReady(std::string& error) {
    static const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE: it was already; RPC_E_CHANGED_MODE: already, multithreaded,
    // which serves the encoder as well.
    if (FAILED(result) && result != RPC_E_CHANGED_MODE) {
        error = failed("CoInitializeEx", result);
        return false;
    }
    return true;
}

// The pixels of `source` as rows of three bytes a pixel (blue, green, red),
// top to bottom, each row padded to four bytes.
bool copyPixels(HDC source, int width, int height, std::vector<BYTE>& rows, UINT& stride) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory == nullptr || bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        if (memory != nullptr) {
            DeleteDC(memory);
        }
        return false;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    if (copied) {
        stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
        rows.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
        const BYTE* bgrx = static_cast<const BYTE*>(bits);
        for (int y = 0; y < height; ++y) {
            const BYTE* from = bgrx + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
            BYTE* to = rows.data() + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < width; ++x) {
                to[x * 3] = from[x * 4];
                to[x * 3 + 1] = from[x * 4 + 1];
                to[x * 3 + 2] = from[x * 4 + 2];
            }
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return copied;
}

std::wstring wideName(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length) - 1);
    return wide;
}

// 24-bit BGR rows into a PNG file at `path`.
// `created` says whether the file was opened for writing.
bool encodePng(const std::wstring& path, UINT width, UINT height, UINT stride, std::vector<BYTE>& rows,
               bool& created, std::string& error) {
    ComRef<IWICImagingFactory> factory;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, factory.receiveVoid());
    if (FAILED(result)) {
        error = failed("creating the imaging factory", result);
        return false;
    }
    ComRef<IWICStream> stream;
    result = factory->CreateStream(stream.receive());
    if (FAILED(result)) {
        error = failed("CreateStream", result);
        return false;
    }
    result = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (FAILED(result)) {
        error = failed("opening the file", result);
        return false;
    }
    created = true;
    ComRef<IWICBitmapEncoder> encoder;
    result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.receive());
    if (FAILED(result)) {
        error = failed("creating the PNG encoder", result);
        return false;
    }
    result = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    if (FAILED(result)) {
        error = failed("IWICBitmapEncoder::Initialize", result);
        return false;
    }
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    result = encoder->CreateNewFrame(frame.receive(), options.receive());
    if (FAILED(result)) {
        error = failed("CreateNewFrame", result);
        return false;
    }
    result = frame->Initialize(options.get());
    if (SUCCEEDED(result)) {
        result = frame->SetSize(width, height);
    }
    if (FAILED(result)) {
        error = failed("setting up the frame", result);
        return false;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    result = frame->SetPixelFormat(&format);
    if (FAILED(result) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        error = FAILED(result) ? failed("SetPixelFormat", result)
                               : std::string("the PNG encoder does not take 24-bit BGR pixels");
        return false;
    }
    result = frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data());
    if (SUCCEEDED(result)) {
        result = frame->Commit();
    }
    if (SUCCEEDED(result)) {
        result = encoder->Commit();
    }
    if (FAILED(result)) {
        error = failed("encoding", result);
        return false;
    }
    return true;
}

}  // namespace

bool saveWindowPicture(HWND window, const std::string& path, std::string& error) {
    if (!comReady(error)) {
        return false;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpMessages();
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        error = "the window has no size";
        return false;
    }
    HDC source = GetWindowDC(window);
    if (source == nullptr) {
        error = "no device context for the window";
        return false;
    }
    std::vector<BYTE> rows;
    UINT stride = 0;
    const bool captured = copyPixels(source, width, height, rows, stride);
    ReleaseDC(window, source);
    if (!captured) {
        error = "cannot copy the window's pixels";
        return false;
    }
    const std::wstring widePath = wideName(path);
    if (widePath.empty()) {
        error = "the file name cannot be converted";
        return false;
    }
    bool created = false;
    if (!encodePng(widePath, static_cast<UINT>(width), static_cast<UINT>(height), stride, rows, created, error)) {
        // The stream is released by now: no half-written picture stays.
        if (created) {
            DeleteFileW(widePath.c_str());
        }
        return false;
    }
    return true;
}
