// Numbering the names of a column: spellings the catalogue takes as equal
// share a slot, whatever their length or bytes, across table growth, and
// whether the slots keep their labels or not.
#include "groups/InlineTextMap.h"
#include "groups/NameSlots.h"

#include <QtTest>
#include <string>

using namespace quelto;
using groups::InlineTextMap;
using groups::NameSlots;

class TestNameSlots : public QObject
{
    Q_OBJECT

private slots:
    void shortAndLongTextsAreFoundAgainAfterGrowth()
    {
        // Texts either side of what a slot holds itself, odd bytes, and
        // enough of them to grow the table several times.
        InlineTextMap map;
        std::vector<std::string> texts = {"",
                                          std::string(InlineTextMap::InlineSize, 'a'),
                                          std::string(InlineTextMap::InlineSize + 1, 'a'),
                                          "\xff\xfe\x80 odd \x01 bytes",
                                          "Gérard Depardieu",
                                          "Кирилл Лавров and a name longer than a slot"};
        for (int i = 0; i < 20000; ++i)
            texts.push_back("Name " + std::to_string(i) + (i % 3 ? "" : " with a long family name"));
        for (size_t i = 0; i < texts.size(); ++i) {
            const uint64_t hash = InlineTextMap::hashOf(texts[i]);
            QVERIFY(!map.find(texts[i], hash).value);
            const InlineTextMap::Entry made = map.insert(texts[i], hash, int(i));
            QCOMPARE(made.text, std::string_view(texts[i]));
        }
        QCOMPARE(map.size(), texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            const InlineTextMap::Entry found = map.find(texts[i], InlineTextMap::hashOf(texts[i]));
            QVERIFY2(found.value, texts[i].c_str());
            QCOMPARE(*found.value, int(i));
            QCOMPARE(found.text, std::string_view(texts[i]));
        }
        // A text that differs in its last byte only, or is a prefix, is another text.
        const std::string near = std::string(InlineTextMap::InlineSize + 1, 'a').replace(InlineTextMap::InlineSize, 1, "b");
        QVERIFY(!map.find(near, InlineTextMap::hashOf(near)).value);
        QVERIFY(!map.find("Name 1", InlineTextMap::hashOf("Name 1 ")).value);
        size_t visited = 0;
        map.forEach([&](std::string_view text, int value) {
            QCOMPARE(text, std::string_view(texts[size_t(value)]));
            ++visited;
        });
        QCOMPARE(visited, texts.size());
    }

    void spellingsShareASlotAndKeepTheFirstLabel()
    {
        NameSlots names;
        const std::string longName = "Maria Magdalena von Losch, known as Marlene Dietrich";
        const int bogart = names.slotOf("Humphrey Bogart");
        const int dietrich = names.slotOf(longName);
        QCOMPARE(names.slotOf(" HUMPHREY BOGART "), bogart);
        QCOMPARE(names.slotOf("humphrey bogart"), bogart);
        QCOMPARE(names.slotOf("MARIA MAGDALENA VON LOSCH, KNOWN AS MARLENE DIETRICH"), dietrich);
        QCOMPARE(names.slotOf(" "), -1);
        QCOMPARE(names.slotOf("   "), -1);
        QCOMPARE(names.slotOf(""), -1);
        // An accent makes another name; a case of an accented letter does not.
        const int gerard = names.slotOf("Gérard Philipe");
        QVERIFY(gerard != names.slotOf("Gerard Philipe"));
        QCOMPARE(names.slotOf("GÉRARD PHILIPE"), gerard);
        QCOMPARE(names.label(size_t(bogart)), std::string_view("Humphrey Bogart"));
        QCOMPARE(names.label(size_t(dietrich)), std::string_view(longName));
        QCOMPARE(names.group(size_t(gerard)).label, QStringLiteral("Gérard Philipe"));
        QCOMPARE(names.find("HUMPHREY BOGART"), bogart); // a spelling not seen before
        QCOMPARE(names.find("Lauren Bacall"), -1);
        QCOMPARE(names.size(), size_t(4));
    }

    void slotsWithoutLabelsAreNumberedAlike()
    {
        // Media IDs are only counted and found again: their slots keep no label.
        for (const NameSlots::Labels labels : {NameSlots::Labels::Kept, NameSlots::Labels::Dropped}) {
            NameSlots tapes(labels);
            const std::string longId = "Box of the summer holidays 1987, tape 12";
            QCOMPARE(tapes.slotOf("A3"), 0);
            QCOMPARE(tapes.slotOf(longId), 1);
            QCOMPARE(tapes.slotOf("a3 "), 0);
            QCOMPARE(tapes.slotOf("A03"), 2); // another number, another tape
            QCOMPARE(tapes.slotOf(" "), -1);
            QCOMPARE(tapes.find(" A3"), 0);
            QCOMPARE(tapes.find("BOX OF THE SUMMER HOLIDAYS 1987, TAPE 12"), 1);
            QCOMPARE(tapes.find("A4"), -1);
            QCOMPARE(tapes.size(), size_t(3));
        }
    }

    void manyNamesKeepTheirSlots()
    {
        NameSlots names;
        for (int i = 0; i < 100000; ++i)
            QCOMPARE(names.slotOf("Actor " + std::to_string(i)), i);
        for (int i = 0; i < 100000; i += 7)
            QCOMPARE(names.slotOf("ACTOR " + std::to_string(i) + " "), i);
        QCOMPARE(names.size(), size_t(100000));
    }
};

QTEST_GUILESS_MAIN(TestNameSlots)
#include "tst_name_slots.moc"
