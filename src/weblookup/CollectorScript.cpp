#include "weblookup/CollectorScript.h"

#include "weblookup/LabelDictionary.h"
#include "weblookup/PageSnapshot.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace quelto::weblookup {

QString CollectorScript::withLabels(const LabelDictionary& labels, const QStringList& extraLabels)
{
    static const QString script = [] {
        QFile file(QStringLiteral(":/weblookup/pageSnapshot.js"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    QStringList known = labels.normalisedLabels();
    QStringList prefixes;
    for (const QString& label : extraLabels) {
        const QString n = PageSnapshot::normalisedLabel(label.endsWith(u'*') ? QStringView(label).chopped(1)
                                                                             : QStringView(label));
        if (n.isEmpty())
            continue;
        (label.endsWith(u'*') ? prefixes : known).append(n);
    }
    known.removeDuplicates();
    prefixes.removeDuplicates();
    auto list = [](const QStringList& texts) {
        return QString::fromUtf8(
            QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
    };
    QString filled = script;
    filled.replace(QLatin1String("/*KNOWN_LABELS*/[]"), list(known));
    filled.replace(QLatin1String("/*LABEL_PREFIXES*/[]"), list(prefixes));
    filled.replace(QLatin1String("/*CLASS_WORDS*/[]"), list(labels.classWords()));
    return filled;
}

QString CollectorScript::withShippedLabels()
{
    static const QString script = withLabels(LabelDictionary::shipped(), {});
    return script;
}

} // namespace quelto::weblookup
