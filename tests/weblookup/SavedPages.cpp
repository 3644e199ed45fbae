#include "SavedPages.h"

#include <QStringList>

namespace quelto::test::SavedPages {

const QList<Page>& pages()
{
    static const QList<Page> all = {
        {"darkknight", "imdb/darkknight-tt0468569-main-2021-07.html", "/title/tt0468569/"},
        {"darkknight-credits", "imdb/darkknight-tt0468569-fullcredits-2021-07.html", "/title/tt0468569/fullcredits"},
        {"darkknight-companies", "imdb/darkknight-tt0468569-companycredits-2021-07.html", "/title/tt0468569/companycredits"},
        {"darkknight-technical", "imdb/darkknight-tt0468569-technical-2021-07.html", "/title/tt0468569/technical"},
        {"matrix", "imdb/matrix-1999-tt0133093-main-2023-05-26.html", "/title/tt0133093/"},
        {"house", "imdb/house-tt0412142-tvseries-main-2022.html", "/title/tt0412142/"},
        {"shawshank-hu", "imdb/shawshank-tt0111161-main-2020-01-hu-locale.html", "/title/tt0111161/"},
        {"dune", "letterboxd/dune-part-two-2024-2026-05-29.html", "/film/dune-part-two/"},
        {"parasite", "letterboxd/parasite-2019-2026-05-29.html", "/film/parasite-2019/"},
        {"shawshank-rt", "rottentomatoes/shawshank_redemption-2020-01.html", "/m/shawshank_redemption"},
        {"truman", "filmaffinity/en-film504889-the-truman-show-2020-10-12.html", "/us/film504889.html"},
        {"antman", "imdb-old/antman-2015-tt0478970-main-2018.html", "/title/tt0478970/"},
        {"antman-credits", "imdb-old/antman-2015-tt0478970-fullcredits-2017.html", "/title/tt0478970/fullcredits"},
        {"antman-companies", "imdb-old/antman-2015-tt0478970-companycredits-2017.html",
         "/title/tt0478970/companycredits"},
        {"troy", "imdb-old/troy-2004-tt0332452-main-2005-11-17.html", "/title/tt0332452/"},
        {"unclebuck", "wikipedia-en/uncle-buck-1989-2019-02-24.html", "/wiki/Uncle_Buck"},
        {"titanic", "wikipedia-en/titanic-1997-2019-02-26.html", "/wiki/Titanic_(1997_film)"},
        {"matrix-rest", "wikipedia-en-rest/the-matrix-1999-rest-2021-11-11.html", "/api/rest_v1/page/html/The_Matrix"},
        {"wanderdarkly-rest", "wikipedia-en-rest/wander-darkly-2020-rest-2021-09-30.html",
         "/api/rest_v1/page/html/Wander_Darkly"},
        // Written for the tests in the shapes of their sites' pages.
        {"wikipedia-de", "shapes/wikipedia-de.html", "/wiki/Nebelhafen_(Film)"},
        {"wikipedia-fr", "shapes/wikipedia-fr.html", "/wiki/Le_Phare_du_Nord"},
        {"douban", "shapes/douban.html", "/subject/9000001/"},
        {"csfd-2020", "shapes/csfd-2020.html", "/film/900001-mlzny-pristav/prehled/"},
        {"kinopoisk-2019", "shapes/kinopoisk-2019.html", "/film/9000001/"},
    };
    return all;
}

namespace {

Grab grab(const char* name, QList<QByteArray> pages, const QStringList& values)
{
    // title, year, director, genre, country, language, colour, sound, rating,
    // writer, composer, company, cast 1 to 6, running time, poster
    static const QStringList order = {
        QStringLiteral("title"),    QStringLiteral("mv_year"),     QStringLiteral("mv_director"),
        QStringLiteral("mv_genre"), QStringLiteral("mv_country"),  QStringLiteral("mv_language"),
        QStringLiteral("mv_color"), QStringLiteral("mv_sound"),    QStringLiteral("mv_rating"),
        QStringLiteral("mv_book"),  QStringLiteral("mv_music"),    QStringLiteral("mv_producer"),
        QStringLiteral("mv_cast6"), QStringLiteral("mv_cast1"),    QStringLiteral("mv_cast2"),
        QStringLiteral("mv_cast3"), QStringLiteral("mv_cast4"),    QStringLiteral("mv_cast5"),
        QStringLiteral("quelto_running_time"), QStringLiteral("cover")};
    Fields expected;
    for (qsizetype i = 0; i < order.size(); ++i)
        expected.insert(order[i], values.value(i));
    return {name, std::move(pages), expected};
}

} // namespace

const QList<Grab>& grabs()
{
    static const QList<Grab> all = {
        grab("IMDb 2021 with credits, companies, technical",
             {"darkknight", "credits:darkknight-credits", "companies:darkknight-companies",
              "technical:darkknight-technical"},
             {"The Dark Knight (2008)", "2008", "Christopher Nolan", "Action / Crime / Drama", "United States / United Kingdom", "English", "Color",
              "Dolby Digital", "9.0/10 (2,371,641 votes)", "Jonathan Nolan", "James Newton Howard", "Warner Bros.",
              "Christian Bale", "Heath Ledger", "Aaron Eckhart", "Michael Caine", "Maggie Gyllenhaal", "Gary Oldman",
              "152", "https://m.media-amazon.com/images/M/MV5BMTMxNTMwODM0NF5BMl5BanBnXkFtZTcwODAyMTk2Mw@@._V1_.jpg"}),
        grab("IMDb 2021 title page alone", {"darkknight"},
             {"The Dark Knight (2008)", "2008", "Christopher Nolan", "Action / Crime / Drama", "United States / United Kingdom", "English", "",
              "Dolby Digital", "9.0/10 (2,371,641 votes)", "Jonathan Nolan", "", "Warner Bros.", "Christian Bale",
              "Heath Ledger", "Aaron Eckhart", "Michael Caine", "Maggie Gyllenhaal", "Gary Oldman", "152", "https://m.media-amazon.com/images/M/MV5BMTMxNTMwODM0NF5BMl5BanBnXkFtZTcwODAyMTk2Mw@@._V1_.jpg"}),
        grab("IMDb 2023", {"matrix"},
             {"The Matrix (1999)", "1999", "Lana Wachowski / Lilly Wachowski", "Action / Sci-Fi", "United States / Australia", "English", "Color",
              "Dolby Digital", "8.7/10 (1,956,171 votes)", "Lilly Wachowski", "", "Warner Bros.", "Keanu Reeves",
              "Laurence Fishburne", "Carrie-Anne Moss", "Hugo Weaving", "Gloria Foster", "Joe Pantoliano", "136",
              "https://m.media-amazon.com/images/M/MV5BNzQzOTk3OTAtNDQ0Zi00ZTVkLWI0MTEtMDllZjNkYzNjNTc4L2ltYWdlXkEyXkFqcGdeQXVyNjU0OTQ0OTY@._V1_.jpg"}),
        grab("IMDb series", {"house"},
             {"House (2004)", "2004", "", "Drama / Mystery", "United States", "English", "Color", "Stereo",
              "8.8/10 (444,861 votes)", "David Shore", "", "Heel & Toe Films", "Hugh Laurie", "Omar Epps",
              "Robert Sean Leonard", "Jesse Spencer", "Lisa Edelstein", "Bobbin Bergstrom", "44",
              "https://m.media-amazon.com/images/M/MV5BMDA4NjQzN2ItZDhhNC00ZjVlLWFjNTgtMTEyNDQyOGNjMDE1XkEyXkFqcGdeQXVyNTA4NzY1MzY@._V1_.jpg"}),
        grab("IMDb 2020 in Hungarian", {"shawshank-hu"},
             {"A remény rabjai (1994)", "1994", "Frank Darabont", "Drama", "USA", "English", "Color", "Dolby Digital",
              "9.3/10 (2,181,187 votes)", "Stephen King", "", "Castle Rock Entertainment", "Tim Robbins",
              "Morgan Freeman", "Bob Gunton", "William Sadler", "Clancy Brown", "Gil Bellows", "142",
              "https://m.media-amazon.com/images/M/MV5BMDFkYTc0MGEtZmNhMC00ZDIzLWFmNTEtODM1ZmRlYWMwMWFmXkEyXkFqcGdeQXVyMTMxODk2OTU@._V1_.jpg"}),
        grab("Letterboxd", {"dune"},
             {"Dune: Part Two (2024)", "2024", "Denis Villeneuve", "Adventure / Science Fiction", "USA", "English", "", "",
              "4.4/5 (3,337,973 votes)", "Denis Villeneuve", "Hans Zimmer", "Legendary Pictures", "Timothée Chalamet",
              "Zendaya", "Rebecca Ferguson", "Javier Bardem", "Josh Brolin", "Austin Butler", "167",
              "https://a.ltrbxd.com/resized/film-poster/6/1/7/4/4/3/617443-dune-part-two-0-230-0-345-crop.jpg?v=cc533700f8"}),
        grab("Letterboxd, second film", {"parasite"},
             {"Parasite (2019)", "2019", "Bong Joon Ho", "Thriller / Comedy / Drama", "South Korea", "Korean", "", "",
              "4.5/5 (5,396,750 votes)", "Kim Dae-hwan", "Jung Jae-il", "Barunson E&A", "Song Kang-ho",
              "Lee Sun-kyun", "Cho Yeo-jeong", "Choi Woo-shik", "Park So-dam", "Lee Jung-eun", "133",
              "https://a.ltrbxd.com/resized/film-poster/4/2/6/4/0/6/426406-parasite-0-230-0-345-crop.jpg?v=8f5653f710"}),
        grab("Rotten Tomatoes", {"shawshank-rt"},
             {"The Shawshank Redemption (1994)", "1994", "Frank Darabont", "Drama", "", "", "", "", "90/100",
              "Frank Darabont", "", "Columbia Pictures", "Tim Robbins", "Morgan Freeman", "Bob Gunton",
              "William Sadler", "Clancy Brown", "Gil Bellows", "142",
              "https://resizing.flixster.com/MnPh9psI2DefTPEBXs5D_fcjx7U=/206x305/v1.bTsxMTE2NjcyNztqOzE4Mzk5OzEyMDA7ODAwOzEyMDA"}),
        grab("IMDb 2017-2018", {"antman", "credits:antman-credits", "companies:antman-companies"},
             {"Ant-Man (2015)", "2015", "Peyton Reed", "Action / Adventure / Comedy / Sci-Fi", "USA", "English", "Color", "Datasat",
              "7.3/10 (402,411 votes)", "Edgar Wright", "Christophe Beck", "Marvel Enterprises", "Paul Rudd",
              "Michael Douglas", "Evangeline Lilly", "Corey Stoll", "Bobby Cannavale", "Anthony Mackie", "117",
              "https://images-na.ssl-images-amazon.com/images/M/MV5BMjM2NTQ5Mzc2M15BMl5BanBnXkFtZTgwNTcxMDI2NTE@._V1_UX182_CR0,0,182,268_AL_.jpg"}),
        grab("FilmAffinity", {"truman"},
             {"The Truman Show (1998)", "1998", "Peter Weir", "Drama / Comedy", "United States", "", "", "",
              "7.7/10 (120,122 votes)", "Andrew Niccol", "Burkhard Dallwitz", "Paramount Pictures", "Jim Carrey",
              "Laura Linney", "Noah Emmerich", "Ed Harris", "Natascha McElhone", "Holland Taylor", "103",
              "https://pics.filmaffinity.com/the_truman_show-130091557-mmed.jpg"}),
        grab("IMDb 2005", {"troy"},
             {"Troy (2004)", "2004", "Wolfgang Petersen", "Action / Adventure / Drama / History / Romance / War", "USA / Malta / UK", "English", "Color", "DTS-ES",
              "7.0/10 (41,310 votes)", "Homer", "", "", "Julian Glover", "Brian Cox", "Nathan Jones", "Adoni Maropis",
              "Jacob Smith", "Brad Pitt", "163", "http://ia.imdb.com/media/imdb/01/I/21/65/48m.jpg"}),
        grab("Wikipedia 2019", {"unclebuck"},
             {"Uncle Buck (1989)", "1989", "John Hughes", "", "United States", "English", "", "", "", "John Hughes",
              "Ira Newborn", "Hughes Entertainment", "John Candy", "Amy Madigan", "", "", "", "", "99",
              "https://upload.wikimedia.org/wikipedia/en/8/8c/Uncle_buck.jpg"}),
        grab("Wikipedia 2019 with footnotes", {"titanic"},
             {"Titanic (1997)", "1997", "James Cameron", "", "United States", "English", "", "", "", "James Cameron",
              "James Horner", "Paramount Pictures", "Leonardo DiCaprio", "Kate Winslet", "Billy Zane", "Kathy Bates",
              "Frances Fisher", "Bernard Hill", "195", "https://upload.wikimedia.org/wikipedia/en/2/22/Titanic_poster.jpg"}),
        grab("Wikipedia page HTML", {"matrix-rest"},
             {"The Matrix (1999)", "1999", "The Wachowskis", "", "United States / Australia", "English", "", "", "",
              "The Wachowskis", "Don Davis", "Warner Bros.", "Keanu Reeves", "Laurence Fishburne", "Carrie-Anne Moss",
              "Hugo Weaving", "Joe Pantoliano", "", "136",
              "http://upload.wikimedia.org/wikipedia/en/thumb/c/c1/The_Matrix_Poster.jpg/220px-The_Matrix_Poster.jpg"}),
        grab("Wikipedia page HTML, small", {"wanderdarkly-rest"},
             {"Wander Darkly (2020)", "2020", "Tara Miele", "", "United States", "English", "", "", "", "Tara Miele",
              "Alex Weston", "51 Entertainment", "Sienna Miller", "Diego Luna", "Beth Grant", "Aimee Carrero",
              "Tory Kittles", "Vanessa Bayer", "97", "http://upload.wikimedia.org/wikipedia/en/9/9e/Wander_Darkly.png"}),
        grab("Wikipedia in German", {"wikipedia-de"},
             {"Nebelhafen (1962)", "1962", "Maeve Doyle", "", "Vereinigtes Königreich / Irland", "Englisch", "", "", "",
              "Ronan Keane", "Aoife Brennan", "", "Declan Rourke", "Siobhan Kerr", "Colm Daly", "Peadar Lynch", "", "",
              "104", "https://upload.wikimedia.org/wikipedia/de/1/1a/Nebelhafen_Plakat.jpg"}),
        grab("Wikipedia in French", {"wikipedia-fr"},
             {"Le Phare du Nord (1974)", "1974", "Claire Morvan", "Drame", "France", "", "", "", "", "Yves Le Goff",
              "Anne Riou", "Films de l'Iroise", "Paul Kerjean", "Louise Tanguy", "Marc Le Bihan", "", "", "", "97",
              "http://upload.wikimedia.org/wikipedia/commons/thumb/3/3c/Phare_du_Nord.jpg/220px-Phare_du_Nord.jpg"}),
        grab("Douban", {"douban"},
             {"雾港 Harbour of Mist (1962)", "1962", "梅芙·多伊尔", "剧情 / 悬疑", "英国 / 爱尔兰", "英语", "", "", "7.9/10 (2,841 votes)",
              "罗南·基恩", "", "", "德克兰·鲁尔克", "希沃恩·克尔", "科尔姆·戴利", "", "", "", "104",
              "https://img9.doubanio.com/view/photo/s_ratio_poster/public/p9000001.webp"}),
        grab("ČSFD 2020", {"csfd-2020"},
             {"Mlžný přístav (1962)", "1962", "Maeve Doyle", "Drama / Mysteriózní", "Velká Británie / Irsko", "", "", "", "78/100 (412 votes)",
              "Ronan Keane", "Aoife Brennan", "", "Declan Rourke", "Siobhan Kerr", "Colm Daly", "Peadar Lynch", "", "",
              "104", "http://img.csfd.cz/files/images/film/posters/900/001/900001_poster.jpg?h180"}),
        grab("Kinopoisk 2019", {"kinopoisk-2019"},
             {"Туманная гавань (1962)", "1962", "Мейв Дойл", "драма / детектив", "Великобритания / Ирландия", "", "", "", "7.4/10",
              "Ронан Кин", "Эшлинг Бреннан", "", "Деклан Рурк", "Шивон Керр", "Колм Дейли", "", "", "", "104",
              "https://st.kp.yandex.net/images/film_big/9000001.jpg"}),
    };
    return all;
}

QList<Grab> servedGrabs()
{
    QList<Grab> out;
    for (const Grab& g : grabs()) {
        auto same = std::find_if(out.begin(), out.end(), [&](const Grab& o) { return o.pages.first() == g.pages.first(); });
        if (same == out.end())
            out.append(g);
        else if (same->pages.size() < g.pages.size())
            *same = g;
    }
    return out;
}

} // namespace quelto::test::SavedPages
