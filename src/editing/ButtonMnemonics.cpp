#include "editing/ButtonMnemonics.h"

#include <QList>

namespace quelto::editing {

namespace {

// Where the marking "&" stands, or -1.
qsizetype markAt(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) == u'&') {
            ++i; // "&&": a plain ampersand
            continue;
        }
        return i;
    }
    return -1;
}

} // namespace

QChar ButtonMnemonics::letterOf(const QString& caption)
{
    const qsizetype at = markAt(caption);
    return at < 0 ? QChar() : caption.at(at + 1).toLower();
}

QStringList ButtonMnemonics::assign(const QStringList& captions)
{
    QList<QChar> taken;
    for (const QString& caption : captions) {
        if (const QChar letter = letterOf(caption); !letter.isNull())
            taken << letter;
    }
    QStringList out = captions;
    for (QString& caption : out) {
        if (markAt(caption) >= 0)
            continue;
        qsizetype chosen = -1;
        // Word starts first, then any letter or digit.
        for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (qsizetype i = 0; i < caption.size() && chosen < 0; ++i) {
                const QChar c = caption.at(i);
                if (!c.isLetterOrNumber() || caption.at(i) == u'&' || (i > 0 && caption.at(i - 1) == u'&'))
                    continue;
                const bool wordStart = i == 0 || !caption.at(i - 1).isLetterOrNumber();
                if ((pass == 0 && !wordStart) || taken.contains(c.toLower()))
                    continue;
                chosen = i;
            }
        }
        if (chosen < 0)
            continue;
        taken << caption.at(chosen).toLower();
        caption.insert(chosen, u'&');
    }
    return out;
}

} // namespace quelto::editing
