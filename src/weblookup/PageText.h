#pragma once

#include "weblookup/ComboField.h"

#include <QString>
#include <QStringView>

namespace quelto::weblookup {

// The plain text of a loaded web page, consumed from the front.
//
// The text itself is never copied or shortened: the object keeps the whole page
// and a read position, and every scanning operation moves that position forward.
// Searches start at the position, so one PageText threaded through the searches
// of an extraction step makes each search begin where the previous one stopped.
// Every operation stops at the end of the text; none reads past it.
//
// White space is CR, LF and the space character (a tab is not); a line break is
// CR or LF, so text with LF-only line breaks scans like CR LF text.
class PageText
{
public:
    PageText() = default;
    explicit PageText(QString text);

    // What is left of the text.
    QStringView rest() const { return QStringView(m_text).mid(m_pos); }
    qsizetype size() const { return m_text.size() - m_pos; }
    bool isEmpty() const { return m_pos >= m_text.size(); }
    // First character left; a null QChar at the end of the text.
    QChar front() const { return isEmpty() ? QChar() : m_text.at(m_pos); }

    // 0-based index of needle in what is left, or -1.
    qsizetype indexOf(QStringView needle) const;
    bool contains(QStringView needle) const { return indexOf(needle) >= 0; }

    // Drops n characters from the front (at most up to the end of the text).
    void advance(qsizetype n);
    // Drops everything that is left.
    void clear() { m_pos = m_text.size(); }

    // Drops white space from the front.
    void skipWS();
    // Drops everything up to the next white space (or the end of the text).
    void toWS();
    // Drops everything up to the next line break (or the end of the text).
    void toEOL();
    // 1-based position of the first "..", LF or CR, whichever comes first;
    // 1000 when none lies within the first 1000 characters. Leaves the text as it is.
    qsizetype eoCast() const;

    // Finds marker and fills field with the value after it (text and tooltip):
    // the marker and the one character after it are dropped, then line breaks,
    // spaces and parenthesised notes (each with the one character after its ")"),
    // and the value runs to the end of its line, or to the end of the text.
    // The text is left at the start of the value. Without the marker the field
    // is cleared and the text is left as it is.
    void fillCombo(QStringView marker, ComboField& field);

    static bool isWhiteSpace(QChar c) { return c == u'\r' || c == u'\n' || c == u' '; }
    static bool isLineBreak(QChar c) { return c == u'\r' || c == u'\n'; }

private:
    // Offset from the read position of the first line break, or size() if none.
    qsizetype lineLength() const;

    QString m_text;
    qsizetype m_pos = 0;
};

} // namespace quelto::weblookup
