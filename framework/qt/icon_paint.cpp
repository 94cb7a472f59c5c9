#include "icon.h"
#include "paint.h"

#include "window_impl.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <map>

namespace {

QIcon* IconOf(HICON h)
{
    return reinterpret_cast<QIcon*>(h);
}

} // namespace

HICON AfxLoadIcon(const IconResource& icon)
{
    static std::map<int, QIcon> loaded;
    auto [it, inserted] = loaded.try_emplace(icon.id);
    if (inserted) {
        for (const IconImage& image : icon.images) {
            QPixmap pixmap;
            if (pixmap.loadFromData(image.png, static_cast<uint>(image.size), "PNG"))
                it->second.addPixmap(pixmap);
        }
    }
    return reinterpret_cast<HICON>(&it->second);
}

CRect GetClientRect(const CWnd& wnd)
{
    const QWidget* widget = afx::WindowImpl::WidgetOf(&wnd);
    return widget != nullptr ? CRect{0, 0, widget->width(), widget->height()} : CRect{};
}

struct CPaintDC::Impl {
    Impl(const CWnd& w, QWidget* widget) : wnd(w), painter(widget) {}
    const CWnd& wnd;
    QPainter painter;
};

CPaintDC::CPaintDC(CWnd* pWnd)
{
    if (QWidget* widget = afx::WindowImpl::WidgetOf(pWnd))
        m_impl = std::make_unique<Impl>(*pWnd, widget);
}

CPaintDC::~CPaintDC() = default;

WPARAM CPaintDC::GetSafeHdc() const
{
    return reinterpret_cast<WPARAM>(this);
}

void CPaintDC::DrawIcon(int x, int y, HICON hIcon)
{
    if (m_impl && hIcon != nullptr)
        IconOf(hIcon)->paint(&m_impl->painter, x, y, m_impl->wnd.GetSystemMetrics(SM_CXICON),
                             m_impl->wnd.GetSystemMetrics(SM_CYICON));
}
