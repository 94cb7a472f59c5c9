#include "dialog_template_ex.h"

#include <string_view>

namespace afx {

namespace {

// Grows the template one field at a time, in 16-bit units: every field of
// the layout is a whole number of them.
class TemplateWriter {
  public:
    void Word(std::uint16_t w) { m_words.push_back(w); }
    void Dword(std::uint32_t d)
    {
        Word(static_cast<std::uint16_t>(d & 0xFFFF));
        Word(static_cast<std::uint16_t>(d >> 16));
    }
    void Short(short s) { Word(static_cast<std::uint16_t>(s)); }
    // A zero-terminated UTF-16 string.
    void String(std::u16string_view text)
    {
        for (char16_t c : text)
            Word(static_cast<std::uint16_t>(c));
        Word(0);
    }
    void AlignToDword()
    {
        if (m_words.size() % 2 != 0)
            Word(0);
    }
    std::vector<std::uint16_t> Take() { return std::move(m_words); }

  private:
    std::vector<std::uint16_t> m_words;
};

std::u16string_view Text(const char16_t* text)
{
    return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

} // namespace

std::vector<std::uint16_t> BuildDialogTemplateEx(const DialogTemplate& tmpl)
{
    TemplateWriter w;
    w.Word(1);      // dlgVer
    w.Word(0xFFFF); // signature: the extended layout
    w.Dword(0);     // helpID
    w.Dword(tmpl.exStyle);
    w.Dword(tmpl.style);
    w.Word(static_cast<std::uint16_t>(tmpl.items.size()));
    w.Short(tmpl.x);
    w.Short(tmpl.y);
    w.Short(tmpl.cx);
    w.Short(tmpl.cy);
    w.Word(0); // no menu
    w.Word(0); // the standard dialog class
    w.String(Text(tmpl.caption));
    if (tmpl.style & DS_SETFONT) {
        w.Word(tmpl.pointSize);
        w.Word(tmpl.weight);
        w.Word(static_cast<std::uint16_t>((tmpl.italic ? 1 : 0) | (tmpl.charset << 8)));
        w.String(Text(tmpl.fontFace));
    }
    for (const DialogItemTemplate& item : tmpl.items) {
        w.AlignToDword();
        w.Dword(0); // helpID
        w.Dword(item.exStyle);
        w.Dword(item.style);
        w.Short(item.x);
        w.Short(item.y);
        w.Short(item.cx);
        w.Short(item.cy);
        w.Dword(static_cast<std::uint32_t>(item.id));
        w.String(Text(item.windowClass));
        w.String(Text(item.text));
        w.Word(0); // no creation data
    }
    return w.Take();
}

} // namespace afx
