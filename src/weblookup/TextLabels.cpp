#include "weblookup/TextLabels.h"

#include <QRegularExpression>

namespace quelto::weblookup::TextLabels {
namespace {

// Where a label ends on a line: the first colon, full-width colon or tab
// within the longest label; -1 when there is none.
qsizetype separatorAt(QStringView line)
{
    const qsizetype end = std::min(line.size(), longestLabel + 1);
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = line[i];
        if (c == u':' || c == QChar(0xFF1A) || c == u'\t') {
            // "12:30", "http://" are no labels.
            if (c == u':' && i + 1 < line.size() && (line[i + 1].isDigit() || line[i + 1] == u'/'))
                continue;
            return i;
        }
    }
    return -1;
}

// The page's own buttons and links next to a value, no part of it.
bool isFurniture(const QString& text)
{
    static const QRegularExpression words(
        QStringLiteral("^\\(?(?:edit|more|less|see more|see all|show more|show all|view all|expand|all cast & crew|"
                       "full cast & crew|see full cast & crew|read more|\\+ ?more|…|\\.\\.\\.)\\)?[.»›]?$"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(text).hasMatch();
}

QString cleanedLine(QStringView line)
{
    QString s = line.toString();
    s.replace(QChar(0xA0), u' ');
    return s.trimmed();
}

} // namespace

QStringList splitValues(const QString& value)
{
    static const QRegularExpression separators(
        QStringLiteral("\\s+/\\s+|\\s*\\|\\s*|\\s*[•·]\\s*|,\\s+|\\s*[、，；]\\s*|;\\s+|\\t+"));
    QStringList out;
    const QString text = value.size() > longestValue * 4 ? value.left(longestValue * 4) : value;
    for (const QString& part : text.split(separators, Qt::SkipEmptyParts)) {
        const QString p = part.simplified();
        if (p.isEmpty() || p == u"..." || p == QStringView(u"\u2026") || p.size() > longestValue || isFurniture(p))
            continue;
        out.append(p);
        if (out.size() >= mostValues)
            break;
    }
    return out;
}

std::vector<LabelledItem> read(const QString& input, const std::function<bool(const QString&)>& isLabel)
{
    std::vector<LabelledItem> items;
    const QStringView text = QStringView(input).left(std::min(input.size(), longestText));
    // The lines, without their ends; a line of white space counts as blank.
    std::vector<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\n' || text[i] == u'\r') {
            lines.push_back(text.mid(start, i - start));
            if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }

    auto labelOf = [&](QStringView line, QString* value) -> QString {
        // A label with its value on the same line, or a label alone.
        const qsizetype at = separatorAt(line);
        QString label;
        if (at > 0) {
            label = cleanedLine(line.left(at));
            if (value)
                *value = cleanedLine(line.mid(at + 1));
        } else if (line.size() <= longestLabel + 1) {
            label = cleanedLine(line);
            if (value)
                value->clear();
        }
        if (label.isEmpty() || label.size() > longestLabel)
            return {};
        return isLabel(PageSnapshot::normalisedLabel(label)) ? label : QString();
    };

    for (size_t i = 0; i < lines.size() && int(items.size()) < mostItems; ++i) {
        const QStringView line = lines[i].trimmed();
        if (line.isEmpty() || line.size() > longestLabel + longestValue * 4)
            continue;
        QString value;
        const QString label = labelOf(line, &value);
        if (label.isEmpty())
            continue;
        if (!value.isEmpty()) {
            const QStringList values = splitValues(value);
            if (!values.isEmpty())
                items.push_back({label, values, value});
            continue;
        }
        // A headed section: the lines below, up to a blank line after a value
        // or the next label.
        QStringList values;
        size_t j = i + 1;
        for (int taken = 0; j < lines.size() && taken < mostSectionLines; ++j) {
            const QStringView next = lines[j].trimmed();
            if (next.isEmpty()) {
                if (!values.isEmpty())
                    break;
                continue;
            }
            if (!labelOf(next, nullptr).isEmpty())
                break;
            ++taken;
            // A table row under a heading: its first cell names the thing
            // ("Brad Pitt<TAB>....<TAB>Achilles").
            const qsizetype tab = next.indexOf(u'\t');
            values.append(splitValues((tab > 0 ? next.left(tab) : next).toString()));
            if (values.size() >= mostValues)
                break;
        }
        if (!values.isEmpty())
            items.push_back({label, values.mid(0, mostValues), values.join(u' ')});
    }
    return items;
}

} // namespace quelto::weblookup::TextLabels
