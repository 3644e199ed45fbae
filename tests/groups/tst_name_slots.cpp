// Numbering the names of a column: spellings the catalogue takes as equal
// share a slot, whatever their length or bytes, across table growth, and
// whether the slots keep their labels or not.
#include "groups/InlineTextMap.h"
#include "groups/LargeAllocation.h"
#include "groups/NameSlots.h"
#include "groups/TextArena.h"

#include <QtTest>
#include <cstring>
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

        // Room made beforehand: a table of several huge pages, mapped by
        // itself, then grown past that room and given back.
        for (const size_t room : {size_t(10), size_t(300000)}) {
            InlineTextMap reserved;
            reserved.reserve(room);
            for (size_t i = 0; i < texts.size(); ++i) {
                reserved.insert(texts[i], InlineTextMap::hashOf(texts[i]), int(i));
                if (i == texts.size() / 2)
                    reserved.reserve(texts.size() / 2); // less than it holds: nothing changes
            }
            for (size_t i = 0; i < texts.size(); i += 97) {
                const InlineTextMap::Entry found = reserved.find(texts[i], InlineTextMap::hashOf(texts[i]));
                QVERIFY2(found.value && *found.value == int(i), texts[i].c_str());
            }
            QVERIFY(!reserved.find(near, InlineTextMap::hashOf(near)).value);
            InlineTextMap moved(std::move(reserved));
            QCOMPARE(moved.size(), texts.size());
            moved.reserve(texts.size() * 40); // a larger mapping; the old one is unmapped
            QVERIFY(moved.find(texts[7], InlineTextMap::hashOf(texts[7])).value);
        }
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

            // A media ID keyed ahead of its lookup, as a pass reads a row:
            // the same slots as without; a text other than the one keyed,
            // or a blank one, is looked up as usual.
            tapes.prepare("A4");
            QCOMPARE(tapes.slotOfPrepared("A4"), 3);
            tapes.prepare("a4");
            QCOMPARE(tapes.slotOfPrepared("a4"), 3);
            tapes.prepare(" A03");
            QCOMPARE(tapes.slotOfPrepared(" A03"), 2);
            const std::string_view row = "A5A6";
            tapes.prepare(row.substr(0, 2));
            QCOMPARE(tapes.slotOfPrepared(row.substr(0, 3)), 4); // "A5A": not what was keyed
            QCOMPARE(tapes.slotOfPrepared(row.substr(0, 2)), 5);
            tapes.prepare("  ");
            QCOMPARE(tapes.slotOfPrepared("  "), -1);
            QCOMPARE(tapes.find("A5A"), 4);
            QCOMPARE(tapes.find("a5"), 5);
            QCOMPARE(tapes.size(), size_t(6));
        }
    }

    void largeBlocksAreZeroedAndKeepWhatTheyHold()
    {
        using groups::LargeAllocation;
        // Either side of a huge page, and sizes that are not a multiple of one.
        for (const size_t bytes : {size_t(0), size_t(1), size_t(100), LargeAllocation::Huge - 1, LargeAllocation::Huge,
                                   5 * LargeAllocation::Huge + 3}) {
            auto* memory = static_cast<unsigned char*>(LargeAllocation::allocate(bytes));
            QVERIFY(memory);
            QCOMPARE(reinterpret_cast<uintptr_t>(memory) % 64, uintptr_t(0));
            for (size_t i = 0; i < bytes; i += (bytes > 4096 ? 4093 : 1))
                QCOMPARE(int(memory[i]), 0);
            if (bytes > 0) {
                QCOMPARE(int(memory[bytes - 1]), 0);
                std::memset(memory, 0x5a, bytes); // all of it is writable
            }
            LargeAllocation::release(memory, bytes);
        }

        // A vector grown through several mappings keeps its elements.
        std::vector<uint64_t, groups::LargeAllocator<uint64_t>> numbers;
        for (uint64_t i = 0; i < 1000000; ++i)
            numbers.push_back(i * 7);
        auto copied = numbers;
        numbers.resize(3000000); // new elements are zero
        QCOMPARE(numbers[999999], uint64_t(999999 * 7));
        QCOMPARE(numbers[2999999], uint64_t(0));
        QCOMPARE(copied.size(), size_t(1000000));
        QCOMPARE(copied[123456], uint64_t(123456 * 7));

        // An arena past its small blocks, long texts among short ones: every
        // kept text stays as it was, also after the arena has moved.
        groups::TextArena arena;
        std::vector<std::string> texts;
        std::vector<std::string_view> kept;
        for (int i = 0; i < 200000; ++i) {
            texts.push_back(i % 5000 == 0 ? std::string(size_t(70000 + i % 7), char('a' + i % 26))
                                          : "Text " + std::to_string(i));
            kept.push_back(arena.keep(texts.back()));
        }
        groups::TextArena moved(std::move(arena));
        for (size_t i = 0; i < texts.size(); ++i)
            QCOMPARE(kept[i], std::string_view(texts[i]));
        QCOMPARE(moved.keep("after the move"), std::string_view("after the move"));
    }

    void manyNamesKeepTheirSlots()
    {
        NameSlots names;
        for (int i = 0; i < 100000; ++i)
            QCOMPARE(names.slotOf("Actor " + std::to_string(i)), i);
        for (int i = 0; i < 100000; i += 7)
            QCOMPARE(names.slotOf("ACTOR " + std::to_string(i) + " "), i);
        QCOMPARE(names.size(), size_t(100000));

        // Room made in the middle of a pass keeps every slot and label.
        names.reserve(400000);
        QCOMPARE(names.slotOf("Actor 5"), 5);
        QCOMPARE(names.slotOf("Actor 100000"), 100000);
        QCOMPARE(names.label(99999), std::string_view("Actor 99999"));
        QCOMPARE(names.find("actor 77777"), 77777);
    }
};

QTEST_GUILESS_MAIN(TestNameSlots)
#include "tst_name_slots.moc"
