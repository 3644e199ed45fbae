#include "collection/CoverPicture.h"
#include "collection/PersonalFormat.h"
#include "collection/TapeSpace.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace quelto::collection;

// What the user types into the personal fields, the pictures offered as
// covers, and the arithmetic of a tape's free minutes.
class TestCollectorValues : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QByteArray encoded(const QImage& image, const char* format, int quality = 90)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.setQuality(quality);
        writer.write(image);
        return bytes;
    }

    static QImage noise(QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                line[x] = 0xff000000u | (seed >> 8);
            }
        }
        return image;
    }

    static quint32 crc32(const QByteArray& data)
    {
        quint32 crc = 0xffffffffu;
        for (const char byte : data) {
            crc ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    }

    // A PNG whose header claims a size; its pixel data is a single empty row.
    static QByteArray pngClaiming(quint32 width, quint32 height)
    {
        auto chunk = [](const char* type, const QByteArray& data) {
            QByteArray out(4, 0);
            qToBigEndian(quint32(data.size()), out.data());
            const QByteArray body = QByteArray(type) + data;
            out += body;
            QByteArray crc(4, 0);
            qToBigEndian(crc32(body), crc.data());
            return out + crc;
        };
        QByteArray ihdr(13, 0);
        qToBigEndian(width, ihdr.data());
        qToBigEndian(height, ihdr.data() + 4);
        ihdr[8] = 8; // bit depth
        ihdr[9] = 2; // RGB
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", QByteArray(16, 0)) +
               chunk("IEND", {});
    }

private slots:
    void badPicturesAreRefusedWithAReason()
    {
        QString problem;
        QVERIFY(!CoverPicture::prepare("<html><body>Not found</body></html>", &problem));
        QVERIFY2(problem.contains(QStringLiteral("not a picture")), qPrintable(problem));

        const QByteArray whole = encoded(noise({200, 300}), "jpeg");
        QVERIFY(CoverPicture::prepare(whole, &problem));
        QVERIFY(!CoverPicture::prepare(whole.left(whole.size() * 2 / 3), &problem));
        QVERIFY2(problem.contains(QStringLiteral("incomplete")), qPrintable(problem));
        const QByteArray png = encoded(noise({64, 64}), "png");
        QVERIFY(!CoverPicture::prepare(png.left(png.size() - 20), &problem));

        // Refused from its header, before anything is decoded.
        QVERIFY(!CoverPicture::prepare(pngClaiming(20000, 20000), &problem));
        QVERIFY2(problem.contains(QStringLiteral("20000 × 20000")), qPrintable(problem));

        // A 60 MB file is refused from its size, without being read.
        const QString big = m_dir.filePath(QStringLiteral("big.jpg"));
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(60LL * 1024 * 1024));
        file.close();
        QVERIFY(!CoverPicture::fromFile(big, &problem));
        QVERIFY2(problem.contains(QStringLiteral("60.0 MB")), qPrintable(problem));
        QVERIFY(!CoverPicture::fromFile(m_dir.filePath(QStringLiteral("none.jpg")), &problem));
        QVERIFY(!CoverPicture::prepare({}, &problem));
    }

    void hostilePicturesAreRefusedBeforeTheyAreDecoded()
    {
        QString problem;
        // A PNG of 20 x 30 pixels whose text chunk declares 1 GB: refused
        // from its chunk lengths, taken or shown never.
        const QByteArray png = encoded(noise({20, 30}), "png");
        QByteArray claim(4, 0);
        qToBigEndian(quint32(1) << 30, claim.data());
        const QByteArray hostile = png.left(33) + claim + "tEXtComment\0" + png.mid(33);
        QVERIFY(hostile.size() < 4000);
        QVERIFY(!CoverPicture::prepare(hostile, &problem));
        QVERIFY2(problem.contains(QStringLiteral("claims 1073741824 bytes")), qPrintable(problem));
        QVERIFY(CoverPicture::decode(hostile).isNull());
        QVERIFY(CoverPicture::decode(hostile, {100, 100}).isNull()); // the second time from memory
        // Its text is left out for the decoder, so a long but whole one costs nothing.
        QByteArray text(4, 0);
        const QByteArray comment = "Comment\0" + QByteArray(100000, 'x');
        qToBigEndian(quint32(comment.size()), text.data());
        const QByteArray body = "tEXt" + comment;
        QByteArray crc(4, 0);
        qToBigEndian(crc32(body), crc.data());
        const auto withText = CoverPicture::prepare(png.left(33) + text + body + crc + png.mid(33), &problem);
        QVERIFY2(withText, qPrintable(problem));
        QCOMPARE(CoverPicture::decode(withText->bytes()).size(), QSize(20, 30));

        // Only the formats the message names: TIFF and ICO are refused.
        for (const char* format : {"tiff", "ico"}) {
            const QByteArray other = encoded(noise({32, 32}), format);
            QVERIFY2(!other.isEmpty(), format);
            QVERIFY2(!CoverPicture::prepare(other, &problem), format);
            QVERIFY2(problem.contains(QStringLiteral("JPEG, PNG, WebP, GIF or BMP")), qPrintable(problem));
            QVERIFY(CoverPicture::decode(other).isNull());
        }
        for (const char* format : {"jpeg", "png", "webp", "gif", "bmp"}) {
            const QByteArray taken = encoded(noise({32, 32}), format);
            if (!taken.isEmpty()) // gif is read but not written by Qt
                QVERIFY2(CoverPicture::prepare(taken, &problem), qPrintable(QString::fromLatin1(format) + problem));
        }

        // Far taller than wide: taken, and shown as a thumbnail a pixel wide.
        const QByteArray column = encoded(noise({3, 2000}), "bmp");
        QVERIFY2(CoverPicture::prepare(column, &problem), qPrintable(problem));
        QCOMPARE(CoverPicture::decode(column, {160, 240}).size(), QSize(1, 240));
        QCOMPARE(CoverPicture::decode(column).size(), QSize(3, 2000));

        // A JPEG cut short and given its end mark again.
        const QByteArray whole = encoded(noise({200, 300}), "jpeg");
        const QByteArray patched = whole.left(whole.size() * 2 / 3) + "\xFF\xD9";
        QVERIFY(!CoverPicture::prepare(patched, &problem));
        QVERIFY2(problem.contains(QStringLiteral("breaks off")), qPrintable(problem));
        QVERIFY(CoverPicture::prepare(whole, &problem));
    }

    void smallPicturesAreKeptAsGivenLargeOnesScaledDown()
    {
        QString problem;
        const QByteArray poster = encoded(noise({300, 450}), "jpeg");
        const auto kept = CoverPicture::prepare(poster, &problem);
        QVERIFY(kept);
        QCOMPARE(kept->bytes(), poster);
        QCOMPARE(kept->format(), QStringLiteral("jpeg"));
        QCOMPARE(kept->size(), QSize(300, 450));
        QCOMPARE(kept->fileSuffix(), QStringLiteral("jpg"));

        const QByteArray large = encoded(noise({2400, 3600}), "jpeg", 95);
        QVERIFY(large.size() > CoverPicture::KeptAsGivenBytes);
        const auto scaled = CoverPicture::prepare(large, &problem);
        QVERIFY2(scaled, qPrintable(problem));
        QCOMPARE(scaled->size(), QSize(1000, 1500));
        QVERIFY(scaled->bytes().size() < large.size());
        QCOMPARE(CoverPicture::decode(scaled->bytes()).size(), QSize(1000, 1500));

        // WebP posters are read like any other.
        const QByteArray webp = encoded(noise({120, 180}), "webp");
        QVERIFY2(!webp.isEmpty(), "no WebP plug-in");
        const auto fromWebp = CoverPicture::prepare(webp, &problem);
        QVERIFY2(fromWebp, qPrintable(problem));
        QCOMPARE(fromWebp->format(), QStringLiteral("webp"));

        // Thumbnails fit their bound, aspect kept, and never grow.
        QCOMPARE(CoverPicture::decode(poster, {100, 100}).size(), QSize(66, 100));
        QCOMPARE(CoverPicture::decode(poster, {1000, 1000}).size(), QSize(300, 450));
        QVERIFY(CoverPicture::decode("junk", {100, 100}).isNull());

        // A pasted picture with transparency stays PNG.
        QImage pasted(40, 60, QImage::Format_ARGB32);
        pasted.fill(Qt::transparent);
        const auto clip = CoverPicture::fromImage(pasted, &problem);
        QVERIFY(clip);
        QCOMPARE(clip->format(), QStringLiteral("png"));
    }

    void datesAreReadInTheFormsPeopleTypeAndImpossibleOnesRefused()
    {
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(PersonalFormat::parseDate(QStringLiteral("24.12.2019"), german).value.toString(), QStringLiteral("2019-12-24"));
        QCOMPARE(PersonalFormat::parseDate(QStringLiteral("2019-12-24"), us).value.toString(), QStringLiteral("2019-12-24"));
        QCOMPARE(PersonalFormat::parseDate(QStringLiteral("12/24/2019"), us).value.toString(), QStringLiteral("2019-12-24"));
        QCOMPARE(PersonalFormat::parseDate(QStringLiteral("3.4."), german).value.toString(),
                 QDate(QDate::currentDate().year(), 4, 3).toString(Qt::ISODate));
        QCOMPARE(PersonalFormat::parseDate(QStringLiteral("  "), german).value.isValid(), false);
        QVERIFY(PersonalFormat::parseDate(QStringLiteral("  "), german).ok());

        const auto impossible = PersonalFormat::parseDate(QStringLiteral("31.02."), german);
        QVERIFY(!impossible.ok());
        QVERIFY2(impossible.problem.contains(QStringLiteral("31.02.")), qPrintable(impossible.problem));
        QVERIFY(!PersonalFormat::parseDate(QStringLiteral("yesterday"), us).ok());
        QVERIFY(!PersonalFormat::parseDate(QStringLiteral("1.1.1066"), german).ok());
        // With the month's name, as the Lend dialog shows dates, in English or the user's language, any case.
        for (const char* typed : {"1 Nov 2026", "1 November 2026", "Nov 1, 2026", "1 nov 2026", " 1  NOV 2026 "}) {
            QCOMPARE(PersonalFormat::parseDate(QString::fromLatin1(typed), german).value.toString(), QStringLiteral("2026-11-01"));
            QCOMPARE(PersonalFormat::parseDate(QString::fromLatin1(typed), us).value.toString(), QStringLiteral("2026-11-01"));
        }
        QCOMPARE(PersonalFormat::parseDate(QStringLiteral("1. März 2020"), german).value.toString(), QStringLiteral("2020-03-01"));
        QVERIFY(!PersonalFormat::parseDate(QStringLiteral("31 Feb 2020"), us).ok());

        QCOMPARE(PersonalFormat::dateText(QStringLiteral("2019-12-24"), german), QStringLiteral("24.12.2019"));
        QCOMPARE(PersonalFormat::dateText(QStringLiteral("2019-12-24"), us), QStringLiteral("12/24/2019"));

        // Seen: a date, seen without one, or not seen.
        QCOMPARE(PersonalFormat::parseSeen(true, QString(), us).value.toString(), QStringLiteral("seen"));
        QCOMPARE(PersonalFormat::parseSeen(false, QString(), us).value.isValid(), false);
        QCOMPARE(PersonalFormat::parseSeen(false, QStringLiteral("2020-01-02"), us).value.toString(),
                 QStringLiteral("2020-01-02"));
        QVERIFY(!PersonalFormat::parseSeen(true, QStringLiteral("30.2.2020"), german).ok());
    }

    void pricesRunningTimesAndRatingsAreCheckedAndShownInTheLocalesForm()
    {
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(PersonalFormat::parsePrice(QStringLiteral("12,50 €"), german).value.toDouble(), 12.5);
        QCOMPARE(PersonalFormat::parsePrice(QStringLiteral("1.234,5"), german).value.toDouble(), 1234.5);
        QCOMPARE(PersonalFormat::parsePrice(QStringLiteral("$1,234.50"), us).value.toDouble(), 1234.5);
        // Typed with the other decimal sign, or without group separators.
        QCOMPARE(PersonalFormat::parsePrice(QStringLiteral("9.99"), german).value.toDouble(), 9.99);
        QCOMPARE(PersonalFormat::parsePrice(QStringLiteral("1.500"), german).value.toDouble(), 1500.0);
        QCOMPARE(PersonalFormat::parsePrice(QStringLiteral("7,5"), us).value.toDouble(), 7.5);
        QVERIFY(!PersonalFormat::parsePrice(QStringLiteral("-5"), us).ok());
        QVERIFY(PersonalFormat::parsePrice(QStringLiteral("-5"), us).problem.contains(QStringLiteral("negative")));
        QVERIFY(!PersonalFormat::parsePrice(QStringLiteral("cheap"), us).ok());
        QCOMPARE(PersonalFormat::priceText(12.5, german), QStringLiteral("12,50\u00a0€"));
        QCOMPARE(PersonalFormat::priceText(12.5, us), QStringLiteral("$12.50"));

        QCOMPARE(PersonalFormat::parseRunningTime(QStringLiteral("95")).value.toInt(), 95);
        QCOMPARE(PersonalFormat::parseRunningTime(QStringLiteral("95 min")).value.toInt(), 95);
        QCOMPARE(PersonalFormat::parseRunningTime(QStringLiteral("1:35")).value.toInt(), 95);
        QCOMPARE(PersonalFormat::parseRunningTime(QStringLiteral("2h 22min")).value.toInt(), 142);
        const auto tooLong = PersonalFormat::parseRunningTime(QStringLiteral("5000"));
        QVERIFY(!tooLong.ok());
        QVERIFY2(tooLong.problem.contains(QStringLiteral("longer than a day")), qPrintable(tooLong.problem));
        QVERIFY(!PersonalFormat::parseRunningTime(QStringLiteral("0")).ok());
        QVERIFY(!PersonalFormat::parseRunningTime(QStringLiteral("1:75")).ok());
        QVERIFY(!PersonalFormat::parseRunningTime(QStringLiteral("long")).ok());

        QCOMPARE(PersonalFormat::ratingValue(7).toDouble(), 3.5);
        QVERIFY(!PersonalFormat::ratingValue(0).isValid());
        QCOMPARE(PersonalFormat::halfStars(4.5), 9);
        QCOMPARE(PersonalFormat::halfStars(QVariant()), 0);
        QCOMPARE(PersonalFormat::ratingText(7, QLocale::c()), QStringLiteral("3.5 stars"));
        QCOMPARE(PersonalFormat::ratingText(0), QStringLiteral("not rated"));

        QVERIFY(!PersonalFormat::parseText(QStringLiteral("   ")).value.isValid());
        QVERIFY(!PersonalFormat::parseText(QString(300, QLatin1Char('x'))).ok());
        QVERIFY(PersonalFormat::parseText(QString(300, QLatin1Char('x')), PersonalFormat::MaxNotesLength).ok());
    }

    void aTapeShowsItsFreeMinutesAtEachSpeed()
    {
        QCOMPARE(TapeSpace::speedsFor(QStringLiteral("VHS")), (QStringList{"SP", "LP", "EP"}));
        QCOMPARE(TapeSpace::speedsFor(QStringLiteral("S-VHS")), (QStringList{"SP", "LP", "EP"}));
        QCOMPARE(TapeSpace::speedsFor(QStringLiteral("Hi8")), (QStringList{"SP", "LP"}));
        QVERIFY(TapeSpace::speedsFor(QStringLiteral("LaserDisk")).isEmpty());
        QVERIFY(TapeSpace::speedsFor(QStringLiteral("DVD")).isEmpty());

        QCOMPARE(TapeSpace::parseLength(QStringLiteral("E-180")), std::optional<int>(180));
        QCOMPARE(TapeSpace::parseLength(QStringLiteral("P5-90")), std::optional<int>(90));
        QCOMPARE(TapeSpace::parseLength(QStringLiteral("LaserDisc CLV side (60 min)")), std::optional<int>(60));
        QCOMPARE(TapeSpace::parseLength(QStringLiteral("200")), std::optional<int>(200));
        QVERIFY(!TapeSpace::parseLength(QStringLiteral("long")));
        QCOMPARE(TapeSpace::lengthText(240, {"E-180", "E-240"}), QStringLiteral("E-240"));
        QCOMPARE(TapeSpace::lengthText(200, {"E-180", "E-240"}), QStringLiteral("200 min"));

        // An E-180 with a 95-minute movie at SP and a 76-minute one at LP.
        const std::vector<TapeSpace::Movie> movies = {
            {QStringLiteral("A"), 95, QStringLiteral("SP")},
            {QStringLiteral("B"), 76, QStringLiteral("LP")},
            {QStringLiteral("C"), std::nullopt, QString()},
        };
        const double used = TapeSpace::used(movies);
        QCOMPARE(used, 133.0);
        QCOMPARE(TapeSpace::freeMinutes(180, used, QStringLiteral("SP")), 47);
        QCOMPARE(TapeSpace::freeMinutes(180, used, QStringLiteral("LP")), 94);
        QCOMPARE(TapeSpace::freeText(180, used, {"SP", "LP"}), QStringLiteral("Free: 47 min SP / 94 min LP"));
        QCOMPARE(TapeSpace::freeText(180, used, {}), QStringLiteral("Free: 47 min"));
        QCOMPARE(TapeSpace::freeText(120, used, {"SP"}), QStringLiteral("Over by 13 min SP"));
        QVERIFY(TapeSpace::fits(180, used, 47, QStringLiteral("SP")));
        QVERIFY(!TapeSpace::fits(180, used, 48, QStringLiteral("SP")));
        QVERIFY(TapeSpace::fits(180, used, 94, QStringLiteral("LP")));
        QVERIFY(TapeSpace::fits(180, used, 141, QStringLiteral("EP")));
    }
};

QTEST_GUILESS_MAIN(TestCollectorValues)
#include "tst_collector_values.moc"
