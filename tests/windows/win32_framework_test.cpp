// What only the Win32 side has, on the platform itself (under Wine in the
// suite, at 96, 144 and 192 DPI): the dialog the in-memory template makes,
// text that fits its control at every DPI, and the icon at the window's.
// The contract both sides keep is framework_test.cpp.

#include "dialog.h"
#include "icon.h"
#include "paint.h"
#include "probe_dialog.h"
#include "resource.h"
#include "tonegen_dialog.h"
#include "window_impl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <tuple>

namespace {

std::u16string TextOf(HWND hwnd)
{
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    return reinterpret_cast<const char16_t*>(buffer);
}

// Whether the control's text fits the room the control leaves for it at
// `dpi`: the width and height DrawText measures in the control's font.
bool TextFits(HWND control, std::u16string_view cls, std::uint32_t style, UINT dpi)
{
    RECT client{};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    const std::u16string text = TextOf(control);
    const bool isStatic = cls == u"static";
    RECT r{0, 0, client.right, 0};
    // The static control's own flags: it breaks lines at spaces.
    ::DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r,
                DT_CALCRECT | (isStatic ? DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    // What the control draws beside its text, in pixels at 96 DPI across
    // and down: a radio button's round box (13 px) and the gap after it; a
    // group box's title inset from the frame's corners; a push button's
    // edge and the focus rectangle inside it.
    const SIZE border = isStatic                                      ? SIZE{0, 0}
                        : (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON ? SIZE{13 + 4, 0}
                        : (style & BS_TYPEMASK) == BS_GROUPBOX        ? SIZE{2 * 8, 0}
                                                                      : SIZE{2 * 3, 2 * 3};
    const auto scaled = [dpi](int px) { return ::MulDiv(px, static_cast<int>(dpi), 96); };
    return r.right <= client.right - scaled(border.cx) && r.bottom <= client.bottom - scaled(border.cy);
}

// The template becomes the dialog it describes, at the prefix's DPI
// (TONEGEN_EXPECTED_DPI): the dialog's font is 12 points at that DPI, so its
// unit, and with it the dialog and every control, scales by the DPI's ratio
// to 96; no caption or label is clipped at it; and what the window sizes in
// pixels itself, the minimised icon, follows.
TEST(Win32Dialog, TheTemplateBecomesTheDialogItDescribesAtTheDpi)
{
    testsupport::Generator dialog;
    ASSERT_TRUE(dialog.Create());
    HWND hwnd = afx::WindowImpl::HandleOf(&dialog);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(TextOf(hwnd), g_toneGenDialogTemplate.caption);
    const UINT dpi = ::GetDpiForWindow(hwnd);
    if (const char* expected = std::getenv("TONEGEN_EXPECTED_DPI")) {
        EXPECT_EQ(dpi, static_cast<UINT>(std::atoi(expected)));
    }
    HDC dc = ::GetDC(hwnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, ::MulDiv(12, static_cast<int>(dpi), 72), 1);

    // The client area is the template's size in the font's dialog units.
    RECT size{0, 0, g_toneGenDialogTemplate.cx, g_toneGenDialogTemplate.cy};
    ::MapDialogRect(hwnd, &size);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(std::tuple(client.right, client.bottom), std::tuple(size.right, size.bottom));
    std::cout << "dialog client area at " << dpi << " DPI: " << client.right << "x" << client.bottom << " px\n";

    // Every control in template order: class, text (all of it within the
    // control), style and place.
    HWND child = ::GetWindow(hwnd, GW_CHILD);
    for (const DialogItemTemplate& item : g_toneGenDialogTemplate.items) {
        ASSERT_NE(child, nullptr) << "fewer controls than the template has";
        SCOPED_TRACE(static_cast<int>(::GetDlgCtrlID(child)));
        EXPECT_EQ(::GetDlgCtrlID(child), item.id);
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, 32);
        EXPECT_EQ(::CompareStringOrdinal(cls, -1, reinterpret_cast<const wchar_t*>(item.windowClass), -1, TRUE),
                  CSTR_EQUAL);
        if (item.id != IDC_FREQUENCY && item.id != IDC_DURATION) {
            EXPECT_EQ(TextOf(child), item.text);
            EXPECT_TRUE(TextFits(child, item.windowClass, item.style, dpi)) << "clipped at " << item.y;
        }
        // The dialog manager gives a bordered edit control the sunken edge
        // instead of the flat border.
        std::uint32_t want = item.style;
        if (std::u16string_view(item.windowClass) == u"edit" && (want & WS_BORDER) != 0) {
            want &= ~static_cast<std::uint32_t>(WS_BORDER);
            EXPECT_NE(::GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
        }
        const auto style = static_cast<std::uint32_t>(::GetWindowLongW(child, GWL_STYLE));
        EXPECT_EQ(style & want, want);
        // The platform maps a control's place and its size each on its own.
        RECT place{item.x, item.y, item.cx, item.cy};
        ::MapDialogRect(hwnd, &place);
        RECT have{};
        ::GetWindowRect(child, &have);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&have), 2);
        EXPECT_EQ(std::tuple(have.left, have.top, have.right - have.left, have.bottom - have.top),
                  std::tuple(place.left, place.top, place.right, place.bottom));
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";

    // The manifest's Common Controls 6 made them: only its buttons answer
    // BCM_GETIDEALSIZE.
    constexpr UINT kGetIdealSize = 0x1601;
    SIZE ideal{};
    EXPECT_TRUE(::SendMessageW(::GetDlgItem(hwnd, IDC_STOP), kGetIdealSize, 0, reinterpret_cast<LPARAM>(&ideal)))
        << "the buttons are not those of Common Controls 6";

    EXPECT_EQ(dialog.GetSystemMetrics(SM_CXICON), ::MulDiv(32, static_cast<int>(dpi), 96));
    EXPECT_EQ(dialog.GetSystemMetrics(SM_CYICON), ::MulDiv(32, static_cast<int>(dpi), 96));
}

// Paints the application's icon (resource 128, the program's own) through
// the framework, as the generator's dialog does while minimised.
class IconPainter : public CDialog {
  public:
    IconPainter() : CDialog(testsupport::kProbeTemplate) {}

    static const AFX_MSGMAP* GetThisMessageMap()
    {
        static constexpr std::array entries{afx::OnMessage<&IconPainter::OnPaint>(WM_PAINT)};
        static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
        return &map;
    }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

  private:
    void OnPaint()
    {
        CPaintDC dc(this);
        dc.DrawIcon(0, 0, m_hIcon);
    }

    static constexpr IconResource kIcon{128, {}};
    HICON m_hIcon = AfxLoadIcon(kIcon);
};

// The icon comes out at the window's icon size: the scope's screen (dark
// green, from 3/48 to 45/48 of the image) reaches down to 44/48 of that size,
// and nothing of it lies below the size.
TEST(Win32Dialog, TheIconIsDrawnAtTheWindowsDpi)
{
    IconPainter dialog;
    ASSERT_TRUE(dialog.Create());
    HWND hwnd = afx::WindowImpl::HandleOf(&dialog);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const int size = dialog.GetSystemMetrics(SM_CXICON);
    HDC dc = ::GetDC(hwnd);
    const COLORREF inside = ::GetPixel(dc, size / 2, size * 44 / 48);
    const COLORREF below = ::GetPixel(dc, size / 2, size + 1);
    ::ReleaseDC(hwnd, dc);
    const auto green = [](COLORREF c) { return GetGValue(c) > GetRValue(c) + 16; };
    EXPECT_TRUE(green(inside)) << "the icon is smaller than " << size << " px";
    EXPECT_FALSE(green(below)) << "the icon is larger than " << size << " px";
}

} // namespace
