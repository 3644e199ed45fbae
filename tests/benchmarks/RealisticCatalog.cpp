#include "RealisticCatalog.h"

#include "catalog/CatalogSchema.h"
#include "catalog/SqliteConnection.h"

#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quelto::bench {
namespace {

// Draws ranks 0..n-1 with a weight of 1 / (rank + offset)^exponent: the first
// ranks often, the long tail rarely (a Zipf-Mandelbrot law).
class ZipfPicker
{
public:
    ZipfPicker(int n, double exponent, double offset)
    {
        m_cumulative.reserve(size_t(n));
        double total = 0;
        for (int rank = 0; rank < n; ++rank) {
            total += 1.0 / std::pow(rank + offset, exponent);
            m_cumulative.push_back(total);
        }
    }
    int pick(QRandomGenerator& r) const
    {
        const double at = r.generateDouble() * m_cumulative.back();
        return int(std::lower_bound(m_cumulative.begin(), m_cumulative.end(), at) - m_cumulative.begin());
    }

private:
    std::vector<double> m_cumulative;
};

const char* const kFirstNames[] = {
    "James", "John", "Robert", "Michael", "William", "David", "Richard", "Charles", "Joseph", "Thomas",
    "Mary", "Patricia", "Jennifer", "Linda", "Elizabeth", "Barbara", "Susan", "Jessica", "Sarah", "Karen",
    "Humphrey", "Ingrid", "Marlene", "Cary", "Grace", "Audrey", "Peter", "Lauren", "Orson", "Greta",
    "Émile", "Jürgen", "Sophia", "Marcello", "Max", "François", "Béatrice", "Hélène", "Jérôme", "Amélie",
    "Günter", "Jörg", "Käthe", "Björn", "Søren", "Åsa", "Ingmar", "Liv", "Pernille", "Øystein",
    "José", "María", "Pilar", "Joaquín", "Inés", "Ángel", "João", "Conceição", "Gonçalo", "Antônio",
    "Giulia", "Federico", "Luchino", "Monica", "Vittorio", "Gian Maria", "Nanni", "Anna", "Silvana", "Totò",
    "Akira", "Yasujirō", "Kenji", "Setsuko", "Toshirō", "Hayao", "Takeshi", "Machiko", "Kinuyo", "Ryū",
    "Zhang", "Gong", "Wong", "Maggie", "Chow", "Tony", "Ang", "Jackie", "Brigitte", "Catherine",
    "Andrzej", "Krzysztof", "Małgorzata", "Zbigniew", "Miloš", "Věra", "Jiří", "Dušan", "Emir", "Goran",
    "Sergei", "Andrei", "Tatiana", "Nikita", "Larisa", "Aleksei", "Satyajit", "Raj", "Nargis", "Amitabh",
    "Shah Rukh", "Aishwarya", "Youssef", "Abbas", "Asghar", "Golshifteh", "Fatih", "Nuri Bilge", "Türkan", "Yılmaz",
    "Pedro", "Carmen", "Penélope", "Javier", "Guillermo", "Alfonso", "Alejandro", "Gael", "Salma", "Ricardo",
    "Werner", "Rainer", "Wim", "Hanna", "Romy", "Klaus", "Bruno", "Nastassja", "Barbara", "Armin",
    "Claude", "Jean-Luc", "Agnès", "Éric", "Jacques", "Anouk", "Isabelle", "Juliette", "Gérard", "Daniel",
    "Henry", "Frank", "George", "Jack", "Walter", "Clint", "Steve", "Paul", "Kevin", "Tom",
    "Meryl", "Diane", "Sigourney", "Jodie", "Julia", "Kate", "Emma", "Cate", "Nicole", "Frances",
    "Ethan", "Joel", "Spike", "Wes", "Sofia", "Jim", "Terry", "Ridley", "Tony", "Danny",
    "Ruth", "Edith", "Gloria", "Joan", "Bette", "Olivia", "Vivien", "Rita", "Ava", "Lana",
    "Sean", "Liam", "Colin", "Ciarán", "Saoirse", "Aoife", "Niamh", "Dáithí", "Eoin", "Siobhán"};

// Surnames are made from a first and a second part: 60 x 50 of them.
const char* const kSurnameStarts[] = {
    "Berg", "Lind", "Holm", "Sand", "Brand", "Stein", "Wald", "Rosen", "Gold", "Schwarz",
    "Fer", "Mar", "Cas", "Gon", "Rod", "San", "Mon", "Vil", "Al", "Bel",
    "Du", "Le", "Beau", "Ché", "Mé", "Bou", "Fon", "Lé", "Mou", "Ro",
    "Kuro", "Yama", "Naka", "Ta", "Ki", "Mori", "Ha", "Oza", "Shi", "Mizo",
    "Kowal", "Nowa", "Wiś", "Dvo", "Nov", "Ko", "Pe", "Iva", "Smir", "Vol",
    "Mac", "O'Bri", "Fitz", "Har", "Wil", "John", "Thom", "Ed", "Rich", "Walk"};
const char* const kSurnameEnds[] = {
    "man", "son", "sen", "er", "ström", "quist", "feld", "mann", "berg", "gaard",
    "nández", "tínez", "tillo", "zález", "ríguez", "chez", "tero", "llanueva", "onso", "trán",
    "pont", "blanc", "ret", "vrier", "lière", "chard", "taine", "ger", "lin", "bert",
    "sawa", "moto", "mura", "naka", "tano", "shita", "yashi", "wa", "ta", "guchi",
    "ski", "k", "niewski", "řák", "otný", "walski", "trov", "nov", "nova", "kov"};

const char* const kWords[] = {
    "The", "Night", "Love", "Man", "Woman", "City", "Last", "Big", "Dark", "Red", "Blue", "House", "Dead",
    "Black", "White", "Day", "Life", "Death", "Time", "Girl", "Boy", "King", "Queen", "Lady", "Star", "War",
    "Road", "River", "Sea", "Sky", "Fire", "Ice", "Heart", "Blood", "Gold", "Silver", "Shadow", "Ghost",
    "Secret", "Stranger", "Return", "Revenge", "Falcon", "Sleep", "Window", "Vertigo", "Empire", "Touch",
    "Evil", "Street", "Street", "Island", "Mountain", "Desert", "Winter", "Summer", "Spring", "Autumn",
    "Morning", "Evening", "Midnight", "Dream", "Story", "Song", "Dance", "Game", "Hunter", "Killer",
    "Doctor", "Professor", "Captain", "Soldier", "Thief", "Spy", "Detective", "Angel", "Devil", "Monster",
    "Alien", "Planet", "Moon", "Sun", "Storm", "Rain", "Wind", "Train", "Ship", "Station", "Hotel", "Garden",
    "Paradise", "Hell", "Heaven", "Kiss", "Lies", "Truth", "Escape", "Chase", "Hour", "Year", "Letter",
    "Brother", "Sister", "Mother", "Father", "Son", "Daughter", "Wife", "Husband", "Friend", "Enemy",
    "Journey", "Voyage", "Quest", "Legend", "Mystery", "Affair", "Case", "Crime", "Justice", "Law",
    "Wild", "Lost", "Broken", "Silent", "Hidden", "Forgotten", "Final", "First", "Second", "Third",
    "Great", "Little", "Long", "Short", "Cold", "Hot", "Sweet", "Bitter", "Strange", "Beautiful",
    "American", "French", "Italian", "Chinese", "Russian", "Mexican", "Texas", "Chicago", "Paris",
    "London", "Berlin", "Tokyo", "Rome", "Vienna", "Casablanca", "Shanghai", "Havana", "Metropolis",
    "of", "in", "and", "the", "a", "on", "at", "for", "with", "from", "to", "under", "over", "beyond"};

// Titles as they are known in their own language.
const char* const kForeignTitles[] = {
    "Le Mépris", "À bout de souffle", "Les Quatre Cents Coups", "L'Été meurtrier", "La Bête humaine",
    "Le Fabuleux Destin d'Amélie Poulain", "Jeux interdits", "Les Enfants du paradis", "Cléo de 5 à 7",
    "Der Himmel über Berlin", "Die Blechtrommel", "Das Boot", "Lola rennt", "Die Ehe der Maria Braun",
    "Das Leben der Anderen", "Nosferatu – Eine Symphonie des Grauens", "Fitzcarraldo", "Good Bye, Lenin!",
    "El espíritu de la colmena", "Mujeres al borde de un ataque de nervios", "Todo sobre mi madre",
    "Y tu mamá también", "El laberinto del fauno", "Amores perros", "Cría cuervos", "¡Átame!",
    "La dolce vita", "Ladri di biciclette", "Otto e mezzo", "Il Gattopardo", "Nuovo Cinema Paradiso",
    "La strada", "Roma città aperta", "Cidade de Deus", "Central do Brasil", "O Pagador de Promessas",
    "Smultronstället", "Det sjunde inseglet", "Fanny och Alexander", "Festen", "Jagten", "Ordet",
    "Człowiek z marmuru", "Popiół i diament", "Nóż w wodzie", "Ostře sledované vlaky", "Lásky jedné plavovlásky",
    "Сталкер", "Броненосец «Потёмкин»", "Летят журавли", "Солярис", "Зеркало", "Иди и смотри",
    "七人の侍", "羅生門", "東京物語", "千と千尋の神隠し", "となりのトトロ", "乱", "生きる",
    "花樣年華", "霸王别姬", "卧虎藏龙", "重慶森林", "悲情城市", "Ταξίδι στα Κύθηρα", "Το βλέμμα του Οδυσσέα",
    "Jodaeiye Nader az Simin", "Ta'm e guilass", "Bir Zamanlar Anadolu'da", "Kış Uykusu", "Pather Panchali",
    "Mughal-e-Azam", "Dilwale Dulhania Le Jayenge", "Ucho", "Şöför Nebahat", "Ça tourne à Manhattan"};

const char* const kGenres[] = {"Drama", "Comedy", "Thriller", "Action", "Romance", "Crime", "Horror",
                               "Documentary", "Adventure", "Sci-Fi", "Family", "Mystery", "Fantasy",
                               "Animation", "War", "Western", "Musical", "Film noir", "Biography", "History",
                               "Sport", "Music"};
const char* const kCountries[] = {
    "USA", "UK", "France", "Germany", "Italy", "Japan", "Canada", "Spain", "India", "Hong Kong", "Australia",
    "Sweden", "South Korea", "Denmark", "Mexico", "China", "Soviet Union", "Russia", "Brazil", "Poland",
    "Czechoslovakia", "Netherlands", "Belgium", "Argentina", "Ireland", "Norway", "Austria", "Switzerland",
    "Finland", "Iran", "Taiwan", "Turkey", "Greece", "Hungary", "Portugal", "New Zealand", "West Germany",
    "Yugoslavia", "Israel", "Egypt", "South Africa", "Thailand", "Chile", "Cuba", "Iceland", "Romania",
    "Senegal", "Österreich", "Côte d'Ivoire", "España"};
const char* const kLanguages[] = {"English", "French", "German", "Italian", "Japanese", "Spanish", "Hindi",
                                  "Cantonese", "Mandarin", "Swedish", "Korean", "Danish", "Russian",
                                  "Portuguese", "Polish", "Czech", "Dutch", "Persian", "Turkish", "Greek"};
const char* const kCompanies[] = {"Paramount", "Warner Bros.", "Universal", "Columbia", "MGM", "20th Century Fox",
                                  "RKO", "United Artists", "Gaumont", "Pathé", "Toho", "Shochiku", "Ufa",
                                  "Cinecittà", "Studio Ghibli", "Shaw Brothers", "Miramax", "New Line", "A24",
                                  "Svensk Filmindustri", "Mosfilm", "Nordisk Film", "Constantin", "StudioCanal"};

// Media with their share in percent, and how many movies a tape takes at most.
struct Medium
{
    const char* name;
    int percent;
    int moviesPerItem;
};
const Medium kMedia[] = {{"VHS", 46, 3}, {"DVD", 30, 1}, {"S-VHS", 8, 3}, {"LaserDisk", 6, 1},
                         {"Video8", 6, 3}, {"Hi8", 4, 3}};

template <size_t N> QString pick(const char* const (&list)[N], int index)
{
    return QString::fromUtf8(list[size_t(index) % N]);
}

// The n-th distinct name (n below 200 x 60 x 50 is never repeated): cast from 0,
// directors from 260,000, writers from 300,000, composers from 380,000.
QString personName(int n)
{
    constexpr int First = int(std::size(kFirstNames));
    constexpr int Starts = int(std::size(kSurnameStarts));
    constexpr int Ends = int(std::size(kSurnameEnds));
    // Spread over first names and both surname parts alike: a bijection of
    // 0..600,000 (104,729 is prime to 600,000).
    n = int(qint64(n) * 104729 % (First * Starts * Ends));
    const int surname = n / First;
    return QString::fromUtf8(kFirstNames[n % First]) + QLatin1Char(' ') +
           QString::fromUtf8(kSurnameStarts[surname % Starts]) + QString::fromUtf8(kSurnameEnds[(surname / Starts) % Ends]);
}

// Names of a pool shuffled by a fixed rule, so that the most frequent ones are
// not all of one first name.
int shuffled(int rank, int pool) { return int((qint64(rank) * 7919 + 13) % pool); }

} // namespace

int RealisticCatalog::directorPool(int records) { return std::max(50, records / 40); }

int RealisticCatalog::castPool(int records) { return std::max(200, records / 4); }

void RealisticCatalog::fill(catalog::SqliteConnection& connection, int records)
{
    const int directors = directorPool(records);
    const int cast = castPool(records);
    const ZipfPicker directorRank(directors, 1.0, 8);
    const ZipfPicker castRank(cast, 1.0, 12);
    const ZipfPicker writerRank(cast / 4 + 1, 1.0, 8);
    const ZipfPicker composerRank(directors / 4 + 1, 1.0, 4);
    const ZipfPicker word(int(std::size(kWords)), 1.0, 3);
    const ZipfPicker foreign(int(std::size(kForeignTitles)), 0.6, 1);
    const ZipfPicker genre(int(std::size(kGenres)), 1.0, 1.5);
    const ZipfPicker country(int(std::size(kCountries)), 1.2, 1);
    const ZipfPicker language(int(std::size(kLanguages)), 1.3, 1);
    const ZipfPicker company(int(std::size(kCompanies)), 1.0, 2);

    QStringList marks;
    for (int i = 0; i < 24; ++i)
        marks << QStringLiteral("?");
    connection.exec(QStringLiteral("begin"));
    auto insert = connection.prepare(QStringLiteral("insert into archive (%1) values (%2)")
                                         .arg(catalog::CatalogSchema::archiveColumns().join(QLatin1Char(',')),
                                              marks.join(QLatin1Char(','))));
    QRandomGenerator r(20261208);
    int tape = 0;
    int leftOnTape = 0;
    int tapeMedium = 0;
    for (int i = 0; i < records; ++i) {
        if (leftOnTape == 0) {
            ++tape;
            int draw = r.bounded(100);
            tapeMedium = 0;
            while (draw >= kMedia[tapeMedium].percent) {
                draw -= kMedia[tapeMedium].percent;
                ++tapeMedium;
            }
            leftOnTape = kMedia[tapeMedium].moviesPerItem > 1 ? r.bounded(1, kMedia[tapeMedium].moviesPerItem + 1) : 1;
        }
        --leftOnTape;
        QString title;
        const int kind = r.bounded(100);
        if (kind < 8) {
            title = pick(kForeignTitles, foreign.pick(r));
        } else {
            const int words = 1 + r.bounded(4);
            for (int w = 0; w < words; ++w) {
                QString next = pick(kWords, word.pick(r));
                if (w == 0)
                    next[0] = next[0].toUpper();
                title += (w ? QStringLiteral(" ") : QString()) + next;
            }
            if (kind < 12)
                title += QStringLiteral(" %1").arg(2 + r.bounded(5)); // a sequel
            else if (kind < 14)
                title = QStringLiteral("The ") + title + QStringLiteral(" Ⅱ");
        }
        // Years from 1920, more of them recent.
        const int year = 1920 + int(std::sqrt(r.generateDouble()) * 106);
        const QString countryName = pick(kCountries, country.pick(r));
        QString genreName = pick(kGenres, genre.pick(r));
        if (r.bounded(100) < 12)
            genreName += QStringLiteral(", ") + pick(kGenres, genre.pick(r));
        const QString director = personName(shuffled(directorRank.pick(r), directors) + 260000);
        QStringList actors;
        const int credited = r.bounded(100) < 5 ? r.bounded(1, 6) : 6;
        for (int c = 0; c < 6; ++c)
            actors << (c < credited ? personName(shuffled(castRank.pick(r), cast)) : QString());
        const QStringList values = {
            QStringLiteral("R%1").arg(tape, 6, 10, QLatin1Char('0')),
            QString::fromLatin1(kMedia[tapeMedium].name),
            r.bounded(4) ? QStringLiteral("PAL") : QStringLiteral("NTSC"),
            r.bounded(3) ? QStringLiteral("Widescreen") : QStringLiteral("4:3"),
            r.bounded(2) ? QStringLiteral("Stereo") : QStringLiteral("Mono"),
            pick(kLanguages, language.pick(r)),
            countryName,
            QString::number(year),
            QStringLiteral("%1.%2/10 (%3 votes)").arg(3 + r.bounded(6)).arg(r.bounded(10)).arg(r.bounded(1, 250000)),
            pick(kLanguages, language.pick(r)),
            year < 1950 && r.bounded(3) ? QStringLiteral("Black and White") : QStringLiteral("Color"),
            r.bounded(3) ? QStringLiteral("Stereo") : QStringLiteral("Mono"),
            genreName,
            director,
            pick(kCompanies, company.pick(r)),
            personName(shuffled(writerRank.pick(r), cast / 4 + 1) + 300000),
            personName(shuffled(composerRank.pick(r), directors / 4 + 1) + 380000),
            actors[0], actors[1], actors[2], actors[3], actors[4], actors[5],
            title};
        insert->reset();
        for (int c = 0; c < 24; ++c)
            insert->bind(c + 1, values[c]);
        insert->step();
    }
    connection.exec(QStringLiteral("commit"));
}

} // namespace quelto::bench
