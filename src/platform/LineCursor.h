#pragma once

#include <QtGlobal>

namespace kelvo {

// The lines of a text one after another, cut as splitLines cuts them (a line ends at CR, LF or
// CR LF; a line break at the very end adds no empty line), as views into the text: a file of
// very many short lines costs no memory per line. `View` is QStringView or QByteArrayView; the
// text must outlive the cursor.
template <typename View> class LineCursor final
{
public:
    explicit LineCursor(View text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    // The number of lines read so far.
    qsizetype count() const { return m_count; }

    // The next line; only when not atEnd().
    View next()
    {
        const qsizetype start = m_at;
        qsizetype end = start;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
            ++end;
        m_at = end;
        if (m_at < m_text.size()) {
            if (m_text[m_at] == u'\r' && m_at + 1 < m_text.size() && m_text[m_at + 1] == u'\n')
                ++m_at;
            ++m_at;
        }
        ++m_count;
        return m_text.sliced(start, end - start);
    }

private:
    View m_text;
    qsizetype m_at = 0;
    qsizetype m_count = 0;
};

} // namespace kelvo
