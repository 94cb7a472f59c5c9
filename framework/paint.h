#pragma once

// Painting: the little of the platform's device contexts the application
// uses, valid while a WM_PAINT is being handled.

#include "wnd.h"

#include <memory>

struct CRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

CRect GetClientRect(const CWnd& wnd);

class CPaintDC {
  public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    // The device context handle, as WM_ICONERASEBKGND carries it.
    WPARAM GetSafeHdc() const;
    // Draws the icon at the window's icon size (SM_CXICON at its DPI), from
    // the icon's image of that size where it has one.
    void DrawIcon(int x, int y, HICON hIcon);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
