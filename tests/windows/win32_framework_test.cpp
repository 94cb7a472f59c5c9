// The framework's Win32 side on the platform itself (under Wine in the
// suite): the dialog the in-memory template makes, and the routing of real
// platform messages through message maps, data exchange and help.

#include "dialog.h"
#include "probe_dialog.h"
#include "resource.h"
#include "tonegen_dialog.h"
#include "win_app.h"
#include "window_impl.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::u16string TextOf(HWND hwnd)
{
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    return reinterpret_cast<const char16_t*>(buffer);
}

// Runs the thread's messages, through the dialog manager as a modal loop
// would, for `ms` milliseconds.
void Pump(HWND dialog, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!::IsDialogMessageW(dialog, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::Sleep(1);
    }
}

// The generator's dialog, opened as the application opens it: 22050 checked.
class Generator : public CDialog {
  public:
    Generator() : CDialog(g_toneGenDialogTemplate) {}

  protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        GetDlgItem(IDC_RATE_22050)->SendMessage(BM_SETCHECK, BST_CHECKED);
        return TRUE;
    }
};

TEST(Win32Dialog, TheTemplateBecomesTheDialogItDescribes)
{
    Generator dialog;
    ASSERT_TRUE(dialog.Create());
    HWND hwnd = afx::WindowImpl::HandleOf(&dialog);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(TextOf(hwnd), g_toneGenDialogTemplate.caption);

    // The client area is the template's size in the font's dialog units.
    RECT size{0, 0, g_toneGenDialogTemplate.cx, g_toneGenDialogTemplate.cy};
    ::MapDialogRect(hwnd, &size);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // Every control in template order: class, text, style and place.
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
        EXPECT_EQ(have.left, place.left);
        EXPECT_EQ(have.top, place.top);
        EXPECT_EQ(have.right - have.left, place.right);
        EXPECT_EQ(have.bottom - have.top, place.bottom);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";

    // Centred in the work area, as the template leaves it to the framework.
    RECT area{};
    RECT window{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(hwnd, &window);
    EXPECT_LE(std::abs((window.left + window.right) - (area.left + area.right)), 1);
    EXPECT_LE(std::abs((window.top + window.bottom) - (area.top + area.bottom)), 1);
}

// The button control makes a radio button a tab stop when it is checked. The
// check the dialog makes as it opens must not make one, or that button would
// be the first tab stop and take the focus from the frequency field; a
// user's click does, so that the choice stays within reach of the keyboard.
TEST(Win32Dialog, OnlyTheUsersChoiceOfARateIsATabStop)
{
    Generator dialog;
    ASSERT_TRUE(dialog.Create());
    HWND hwnd = afx::WindowImpl::HandleOf(&dialog);
    const auto tabStop = [&](int id) {
        return (::GetWindowLongW(::GetDlgItem(hwnd, id), GWL_STYLE) & WS_TABSTOP) != 0;
    };
    ASSERT_EQ(::SendMessageW(::GetDlgItem(hwnd, IDC_RATE_22050), BM_GETCHECK, 0, 0), BST_CHECKED);
    for (int id = IDC_RATE_22050; id <= IDC_RATE_96000; ++id)
        EXPECT_FALSE(tabStop(id)) << id;
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd, IDC_FREQUENCY));

    ::SendMessageW(::GetDlgItem(hwnd, IDC_RATE_44100), BM_CLICK, 0, 0);
    EXPECT_TRUE(tabStop(IDC_RATE_44100));
    EXPECT_FALSE(tabStop(IDC_RATE_22050));
    EXPECT_EQ(::GetNextDlgTabItem(hwnd, ::GetDlgItem(hwnd, IDC_FREQUENCY), TRUE), ::GetDlgItem(hwnd, IDC_RATE_44100));
}

using testsupport::kProbeEditId;

// The probe dialog with its window handle in reach.
class Probe : public testsupport::Probe {
  public:
    HWND Handle() const { return afx::WindowImpl::HandleOf(this); }
    HWND Edit() const { return ::GetDlgItem(Handle(), kProbeEditId); }
};

class Win32Framework : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_probe.Create());
        m_hwnd = m_probe.Handle();
        ASSERT_NE(m_hwnd, nullptr);
    }
    Probe m_probe;
    HWND m_hwnd = nullptr;
};

TEST_F(Win32Framework, PlatformTimersArriveThroughTheMessageMap)
{
    EXPECT_EQ(m_probe.SetTimer(5, 20, nullptr), 5u);
    Pump(m_hwnd, 150);
    EXPECT_GE(m_probe.timers.size(), 2u);
    for (const UINT_PTR id : m_probe.timers)
        EXPECT_EQ(id, 5u);
    EXPECT_TRUE(m_probe.KillTimer(5));
    m_probe.timers.clear();
    // The longest period neither fails nor wraps into a short one.
    EXPECT_EQ(m_probe.SetTimer(2, 0xFFFFFFFFu, nullptr), 2u);
    Pump(m_hwnd, 60);
    EXPECT_TRUE(m_probe.timers.empty());
}

TEST_F(Win32Framework, DataExchangeIgnoresThePlatformsEchoOfItsOwnWrites)
{
    // The edit control notifies synchronously, inside SetWindowText.
    EXPECT_EQ(m_probe.GetDlgItemText(kProbeEditId), u"7");
    EXPECT_EQ(m_probe.changes, 0);
    m_probe.value = 123;
    m_probe.UpdateData(FALSE);
    EXPECT_EQ(TextOf(m_probe.Edit()), u"123");
    EXPECT_EQ(m_probe.changes, 0);
    m_probe.SetDlgItemText(kProbeEditId, u"5");
    EXPECT_EQ(m_probe.changes, 1);
    EXPECT_TRUE(m_probe.UpdateData(TRUE));
    EXPECT_EQ(m_probe.value, 5);
}

// The message box under the cursor of a thread timer, which keeps running
// inside the box's own modal loop: its caption and text, then OK.
struct SeenBox {
    std::u16string caption, text;
};
std::vector<SeenBox> s_boxes;

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = ::FindWindowW(L"#32770", nullptr);
    if (box == nullptr || ::GetDlgItem(box, 0xFFFF) == nullptr)
        return;
    s_boxes.push_back({TextOf(box), TextOf(::GetDlgItem(box, 0xFFFF))});
    ::SendMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(Win32Framework, FailedExchangePromptsAndSelectsTheField)
{
    s_boxes.clear();
    const UINT_PTR answerer = ::SetTimer(nullptr, 0, 20, &AnswerMessageBox);
    m_probe.SetDlgItemText(kProbeEditId, u"");
    m_probe.value = 9;
    EXPECT_FALSE(m_probe.UpdateData(TRUE));
    ::KillTimer(nullptr, answerer);
    EXPECT_EQ(m_probe.value, 9);
    ASSERT_EQ(s_boxes.size(), 1u);
    EXPECT_EQ(s_boxes[0].caption, u"win32_framework_tests");
    EXPECT_EQ(s_boxes[0].text, u"请键入一个整数。");
    EXPECT_EQ(::GetFocus(), m_probe.Edit());
}

// F1 reaches the application as ID_HELP, which asks the platform's viewer
// for the dialog's topic in the help file beside the program.
TEST_F(Win32Framework, F1InTheDialogAsksForItsHelpTopic)
{
    // The platform's own viewer is the end-to-end tests' to see.
    testsupport::HelpApp app(false);
    app.m_pMainWnd = &m_probe;
    ::PostMessageW(m_probe.Edit(), WM_KEYDOWN, VK_F1, 0);
    Pump(m_hwnd, 50);
    ASSERT_EQ(app.requests.size(), 1u);
    EXPECT_EQ(app.requests[0].first, HID_BASE_RESOURCE + testsupport::kProbeTemplate.id);
    EXPECT_EQ(app.requests[0].second, static_cast<UINT>(HELP_CONTEXT));
    app.m_pMainWnd = nullptr;
}

} // namespace
