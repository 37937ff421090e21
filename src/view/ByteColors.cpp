// Which colour pair a byte of the view is painted in.
#include "view/ByteColors.h"

#include <algorithm>

CByteColors::Pair CByteColors::Choose(uint64_t a, const Marks& m, const DocColors& c)
{
    if (m.selStart != kNone && m.selStart <= a && a <= m.selEnd)
        return Of(c, DocColors::SelBk, DocColors::SelTxt);
    if (m.findPos != kNone && m.findLen != 0 && m.findPos <= a && a - m.findPos < m.findLen)
        return Of(c, DocColors::FindBk, DocColors::FindTxt);
    if (m.bookmarks && std::find(m.bookmarks->begin(), m.bookmarks->end(), a) != m.bookmarks->end())
        return Of(c, DocColors::BookmarkBk, DocColors::BookmarkTxt);
    if (m.structPaneVisible && m.structStart <= a && a < m.structEnd) {
        if (m.structSelStart <= a && a < m.structSelEnd)
            return Of(c, DocColors::StructSelBk, DocColors::StructSelTxt);
        return Of(c, DocColors::StructRangeBk, DocColors::StructRangeTxt);
    }
    return Of(c, DocColors::TextBk, DocColors::Text);
}
