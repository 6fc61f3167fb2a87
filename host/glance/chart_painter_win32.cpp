#include "host/glance/chart_painter_win32.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdio>

#include "host/glance/glance_text.h"
#include "host/sites/wide_text_win32.h"

namespace chart_window {

namespace {

const wchar_t className[] = L"QuorinBarChart";

struct Chart {
    std::vector<glance::ChartRow> rows;
    std::string unit;
    int scroll = 0;  // pixels of the chart above the window's top
    // The layout of the rows at a width and a line height, kept until
    // either or the rows change (measuring every text is the costly part).
    glance::ChartLayout layout;
    int layoutWidth = -1, layoutLine = -1;
};

Chart* chartOf(HWND window) { return reinterpret_cast<Chart*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

HFONT fontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0));
}

int textWidth(HDC dc, std::string_view utf8) {
    const std::wstring wide = wide_text::toWide(std::string(utf8));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

int lineHeightOf(HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return static_cast<int>(metrics.tmHeight);
}

glance::ChartLayout layoutFor(HDC dc, const Chart& chart, int width) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The advances of the printable ASCII characters, asked once: a text of
    // them is as wide as their sum (GDI draws them without kerning), so a
    // hundred names and amounts cost no call each. Any other text is measured.
    INT advances[128] = {};
    const bool table = GetCharWidth32W(dc, 32, 126, advances + 32) != FALSE;
    glance::ChartFont font{[dc, table, &advances](std::string_view text) {
                               int sum = 0;
                               for (char c : text) {
                                   const auto byte = static_cast<unsigned char>(c);
                                   if (!table || byte < 32 || byte > 126) {
                                       return textWidth(dc, text);
                                   }
                                   sum += advances[byte];
                               }
                               return sum;
                           },
                           static_cast<int>(metrics.tmHeight)};
    const std::string unit = chart.unit;
    return glance::layoutChart(chart.rows, width, font, [unit](double value) {
        char text[48];
        std::snprintf(text, sizeof text, "%g %s", value, unit.c_str());
        return std::string(text);
    });
}

// The layout kept for the chart at this width and the DC's font.
const glance::ChartLayout& cachedLayout(HDC dc, Chart& chart, int width) {
    const int line = lineHeightOf(dc);
    if (chart.layoutWidth != width || chart.layoutLine != line) {
        chart.layout = layoutFor(dc, chart, width);
        chart.layoutWidth = width;
        chart.layoutLine = line;
    }
    return chart.layout;
}

void fill(HDC dc, const glance::ChartBox& box, int dy, HBRUSH brush) {
    if (box.width() <= 0 || box.height() <= 0) {
        return;
    }
    RECT rect{box.left, box.top - dy, box.right, box.bottom - dy};
    FillRect(dc, &rect, brush);
}

void text(HDC dc, const glance::ChartText& item, int dy) {
    const std::wstring wide = wide_text::toWide(item.text);
    RECT rect{item.box.left, item.box.top - dy, item.box.right, item.box.bottom - dy};
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
              (item.rightAligned ? DT_RIGHT : DT_LEFT) | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
}

// The layout drawn `dy` pixels up, over `area` (the chart's white); only
// the rows that reach into it.
void paint(HDC dc, const glance::ChartLayout& layout, const RECT& area, int dy) {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HBRUSH grid = CreateSolidBrush(RGB(214, 214, 214));
    HBRUSH first = CreateSolidBrush(RGB(31, 78, 146));
    HBRUSH bar = CreateSolidBrush(RGB(70, 130, 200));
    FillRect(dc, &area, white);
    SetBkMode(dc, TRANSPARENT);
    for (const glance::ChartBox& line : layout.gridLines) {
        fill(dc, line, dy, grid);
    }
    SetTextColor(dc, RGB(96, 96, 96));
    for (const glance::ChartText& scale : layout.scaleTexts) {
        text(dc, scale, dy);
    }
    SetTextColor(dc, RGB(0, 0, 0));
    for (std::size_t i = 0; i < layout.bars.size(); ++i) {
        if (layout.labels[i].box.bottom - dy < area.top || layout.labels[i].box.top - dy > area.bottom) {
            continue;
        }
        // The first place darker: it is what the list is about.
        fill(dc, layout.bars[i], dy, i == 0 ? first : bar);
        text(dc, layout.labels[i], dy);
        // On white: the grid lines stop at the amount's letters.
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(255, 255, 255));
        text(dc, layout.amounts[i], dy);
        SetBkMode(dc, TRANSPARENT);
    }
    DeleteObject(bar);
    DeleteObject(first);
    DeleteObject(grid);
    DeleteObject(white);
}

void updateScrollBar(HWND window, Chart& chart, int contentHeight) {
    RECT client{};
    GetClientRect(window, &client);
    const int page = client.bottom;
    chart.scroll = std::max(0, std::min(chart.scroll, contentHeight - page));
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                    std::max(contentHeight - 1, 0), static_cast<UINT>(std::max(page, 0)), chart.scroll, 0};
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

int contentHeight(HWND window, Chart& chart) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, fontOf(window));
    const int height = glance::chartHeight(chart.rows.size(), lineHeightOf(dc));
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return height;
}

LRESULT CALLBACK chartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Chart* chart = chartOf(window);
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Chart));
        break;
    case WM_NCDESTROY:
        delete chart;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client{};
        GetClientRect(window, &client);
        // Drawn off the screen first: no flicker on a refresh.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldFont = SelectObject(memory, fontOf(window));
        if (chart != nullptr) {
            paint(memory, cachedLayout(memory, *chart, client.right), client, chart->scroll);
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_SIZE:
        if (chart != nullptr) {
            updateScrollBar(window, *chart, contentHeight(window, *chart));
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        // The keys of a scroll bar: arrows, Page Up and Down, Home and End.
        const WPARAM keys[][2] = {{VK_UP, SB_LINEUP},     {VK_DOWN, SB_LINEDOWN}, {VK_PRIOR, SB_PAGEUP},
                                  {VK_NEXT, SB_PAGEDOWN}, {VK_HOME, SB_TOP},      {VK_END, SB_BOTTOM}};
        for (const auto& key : keys) {
            if (wParam == key[0]) {
                SendMessageW(window, WM_VSCROLL, key[1], 0);
                return 0;
            }
        }
        break;
    }
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        if (chart != nullptr) {
            RECT client{};
            GetClientRect(window, &client);
            const int line = 16;
            int position = chart->scroll;
            if (message == WM_MOUSEWHEEL) {
                position -= GET_WHEEL_DELTA_WPARAM(wParam) * 3 * line / WHEEL_DELTA;
            } else {
                SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
                GetScrollInfo(window, SB_VERT, &info);
                switch (LOWORD(wParam)) {
                case SB_LINEUP: position -= line; break;
                case SB_LINEDOWN: position += line; break;
                case SB_PAGEUP: position -= client.bottom; break;
                case SB_PAGEDOWN: position += client.bottom; break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION: position = info.nTrackPos; break;
                case SB_TOP: position = 0; break;
                case SB_BOTTOM: position = info.nMax; break;
                default: break;
                }
            }
            chart->scroll = position;
            updateScrollBar(window, *chart, contentHeight(window, *chart));
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registered(HINSTANCE instance) {
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, className, &existing)) {
        return true;
    }
    WNDCLASSW chartClass{};
    chartClass.lpfnWndProc = chartProc;
    chartClass.hInstance = instance;
    chartClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    chartClass.lpszClassName = className;
    return RegisterClassW(&chartClass) != 0;
}

std::string failed(const char* step, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (0x%08lX).", step, static_cast<unsigned long>(result));
    return text;
}

template <typename T>
void release(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

bool encodePng(const std::wstring& path, UINT width, UINT height, UINT stride, BYTE* pixels, std::string& error) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool comStarted = SUCCEEDED(com);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    bool done = false;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&factory));
    if (FAILED(result)) {
        error = failed("Making the image encoder", result);
    } else if (FAILED(result = factory->CreateStream(&stream)) ||
               FAILED(result = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) {
        error = failed("Opening the file", result);
    } else if (FAILED(result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
               FAILED(result = encoder->Initialize(stream, WICBitmapEncoderNoCache)) ||
               FAILED(result = encoder->CreateNewFrame(&frame, nullptr)) ||
               FAILED(result = frame->Initialize(nullptr)) || FAILED(result = frame->SetSize(width, height))) {
        error = failed("Starting the PNG", result);
    } else {
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        if (FAILED(result = frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
            error = failed("Choosing the pixel format", result);
        } else if (FAILED(result = frame->WritePixels(height, stride, stride * height, pixels)) ||
                   FAILED(result = frame->Commit()) || FAILED(result = encoder->Commit())) {
            error = failed("Writing the PNG", result);
        } else {
            done = true;
        }
    }
    release(frame);
    release(encoder);
    release(stream);
    release(factory);
    if (comStarted) {
        CoUninitialize();
    }
    return done;
}

}  // namespace

HWND replace(HWND placeholder) {
    HWND parent = GetParent(placeholder);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    if (!registered(instance)) {
        return nullptr;
    }
    RECT place{};
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    const int id = GetDlgCtrlID(placeholder);
    HWND chart = CreateWindowExW(WS_EX_CLIENTEDGE, className, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                                 place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (chart == nullptr) {
        return nullptr;
    }
    // In the placeholder's place in the tab order too.
    SetWindowPos(chart, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(placeholder);
    return chart;
}

void setRows(HWND chart, const std::vector<glance::ChartRow>& rows, const std::string& unit) {
    Chart* state = chartOf(chart);
    if (state == nullptr) {
        return;
    }
    state->rows = rows;
    state->unit = unit;
    state->layoutWidth = -1;
    state->scroll = 0;
    updateScrollBar(chart, *state, contentHeight(chart, *state));
    InvalidateRect(chart, nullptr, FALSE);
}

bool savePng(HWND chart, const std::string& path, std::string& error) {
    Chart* state = chartOf(chart);
    if (state == nullptr) {
        error = "No chart.";
        return false;
    }
    RECT client{};
    GetClientRect(chart, &client);
    HDC screen = GetDC(chart);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(chart, screen);
    HGDIOBJ oldFont = SelectObject(memory, fontOf(chart));
    const glance::ChartLayout layout = layoutFor(memory, *state, client.right);
    const int width = std::max(layout.width, 1);
    const int height = std::max(layout.height, 1);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: rows in the order the encoder takes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool done = false;
    if (bitmap == nullptr || bits == nullptr) {
        error = "No memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels.";
    } else {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        const RECT all{0, 0, width, height};
        paint(memory, layout, all, 0);
        GdiFlush();
        const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
        done = encodePng(wide_text::toWide(path), static_cast<UINT>(width), static_cast<UINT>(height), stride,
                         static_cast<BYTE*>(bits), error);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
    }
    SelectObject(memory, oldFont);
    DeleteDC(memory);
    return done;
}

}  // namespace chart_window
