// The web catalogue's page: filter, sort, groups and details over the movies
// in the page's JSON block. Values are only ever set as text.
(function () {
    "use strict";

    var CHUNK = 60; // cards added at a time, as the reader scrolls
    var NONE = "\uffff"; // sorts after every text: empty values go last

    var block = document.getElementById("movie-data");
    var controls = document.getElementById("controls");
    var list = document.getElementById("movies");
    var status = document.getElementById("status");
    var filterBox = document.getElementById("filter");
    var sortBox = document.getElementById("sort");
    var groupBox = document.getElementById("group");
    if (!block || !list)
        return;

    // Each field's values stand once in values; a movie holds their numbers.
    var data = JSON.parse(block.textContent);
    var fields = data.fields || [];
    var values = data.values || [];
    var movies = data.movies || [];
    var col = {};
    fields.forEach(function (name, i) { col[name] = i; });

    function value(movie, name) {
        var i = col[name];
        return i === undefined ? "" : (values[i][movie[i]] || "");
    }

    // The program's matching rule: letters without accents and case, the
    // letters that stand for two written out.
    var TWO = { "\u0153": "oe", "\u00e6": "ae", "\u00df": "ss", "\u00f8": "o", "\u0111": "d", "\u0142": "l",
                "\u00f0": "d", "\u00fe": "t" };
    var MARKS = /[\u0300-\u036f\u1ab0-\u1aff\u1dc0-\u1dff\u20d0-\u20ff\ufe20-\ufe2f]/g;
    var SPECIAL = /[\u0153\u00e6\u00df\u00f8\u0111\u0142\u00f0\u00fe]/g;
    var NON_ASCII = /[^\x00-\x7f]/;
    function fold(text) {
        if (!NON_ASCII.test(text))
            return text.toLowerCase();
        return text.normalize("NFD").replace(MARKS, "").toLowerCase().replace(SPECIAL, function (c) { return TWO[c]; });
    }
    // Natural order: a run of digits compares by its number ("Number 2"
    // before "Number 10").
    function naturalKey(text) {
        if (!text)
            return NONE;
        return fold(text).replace(/\d+/g, function (digits) {
            digits = digits.replace(/^0+(?=\d)/, "");
            return String.fromCharCode(0x40 + Math.min(digits.length, 60)) + digits;
        });
    }

    var SEARCHED = ["title", "catalog", "mv_genre", "mv_country", "mv_year", "mv_director", "mv_producer",
                    "mv_book", "mv_music", "mv_cast1", "mv_cast2", "mv_cast3", "mv_cast4", "mv_cast5", "mv_cast6",
                    "md_type", "md_format", "quelto_location"];
    var searchedColumns = SEARCHED.map(function (name) { return col[name]; })
                                  .filter(function (i) { return i !== undefined; });
    // Every movie's searched fields, folded, in one text (movies apart by
    // \u0001), so that a word is looked for in one pass; made in slices
    // after the first rows are shown, or at once when a filter comes first.
    var SLICE = 5000;
    var hayParts = [];
    var hayStarts = new Int32Array(movies.length + 1);
    var hayLength = 0;
    var haystack = null;
    var folded = {}; // per column, its values folded, each once
    function foldedValue(column, index) {
        var table = folded[column] || (folded[column] = new Array(values[column].length));
        var f = table[index];
        if (f === undefined)
            f = table[index] = fold(values[column][index] || "");
        return f;
    }
    function haySlice(limit) {
        var end = Math.min(movies.length, hayParts.length + limit);
        for (var m = hayParts.length; m < end; ++m) {
            var movie = movies[m];
            var parts = [];
            for (var c = 0; c < searchedColumns.length; ++c) {
                var v = foldedValue(searchedColumns[c], movie[searchedColumns[c]]);
                if (v)
                    parts.push(v);
            }
            var folded = parts.join("\n");
            hayStarts[m] = hayLength;
            hayLength += folded.length + 1;
            hayParts.push(folded);
        }
        if (hayParts.length === movies.length && haystack === null) {
            hayStarts[movies.length] = hayLength;
            haystack = hayParts.join("\u0001");
            hayParts = null;
            document.documentElement.setAttribute("data-filter-ready", "true");
        }
    }
    function buildHaystack() {
        if (haystack === null)
            haySlice(movies.length);
    }
    function buildHaystackLater() {
        if (haystack !== null)
            return;
        haySlice(SLICE);
        setTimeout(buildHaystackLater, 0);
    }
    // The movies whose text holds every word, marked by index.
    function matching(words) {
        var marks = new Uint8Array(movies.length);
        for (var w = 0; w < words.length; ++w) {
            var word = words[w];
            var hits = new Uint8Array(movies.length);
            var pos = haystack.indexOf(word);
            var movie = 0;
            while (pos >= 0) {
                // The movie whose text holds pos: hits come in order, so search onwards.
                var lo = movie, hi = movies.length;
                while (hi - lo > 1) {
                    var mid = (lo + hi) >> 1;
                    if (hayStarts[mid] <= pos)
                        lo = mid;
                    else
                        hi = mid;
                }
                movie = lo;
                hits[movie] = 1;
                pos = haystack.indexOf(word, hayStarts[movie + 1]);
            }
            if (w === 0) {
                marks = hits;
            } else {
                for (var i = 0; i < marks.length; ++i)
                    marks[i] &= hits[i];
            }
        }
        return marks;
    }

    // Sort keys per order, made when the order is first chosen.
    var keys = {};
    function titleKeys() {
        if (!keys.title)
            keys.title = movies.map(function (m) { return naturalKey(value(m, "title")); });
        return keys.title;
    }
    var SORTS = {
        title: function () { return titleKeys(); },
        year: function () {
            return movies.map(function (m) {
                var y = parseInt(value(m, "mv_year"), 10);
                return isNaN(y) ? NONE : String(10000 + y);
            });
        },
        director: function () { return movies.map(function (m) { return naturalKey(value(m, "mv_director")); }); },
        media: function () { return movies.map(function (m) { return naturalKey(value(m, "catalog")); }); }
    };
    function sortKeys(order) {
        if (!keys[order])
            keys[order] = SORTS[order]();
        return keys[order];
    }

    var GROUPS = {
        medium: function (m) { return value(m, "md_type").trim(); },
        genre: function (m) { return value(m, "mv_genre").trim(); },
        decade: function (m) {
            var y = parseInt(value(m, "mv_year"), 10);
            return isNaN(y) ? "" : String(Math.floor(y / 10) * 10) + "s";
        },
        location: function (m) { return value(m, "quelto_location").trim(); }
    };
    var GROUP_NONE = { medium: "No medium", genre: "No genre", decade: "No year", location: "No location" };

    // The movies in the order and groups chosen, all of them; the filter
    // picks from this.
    var ordered = null;
    var orderedGroups = null; // the group of each entry of ordered, or null
    function arrange() {
        var order = sortBox.value;
        var grouping = groupBox.value;
        var k = sortKeys(order);
        var t = order === "title" ? null : titleKeys();
        var index = new Array(movies.length);
        for (var i = 0; i < movies.length; ++i)
            index[i] = i;
        var groupOf = null, groupKey = null;
        if (grouping) {
            groupOf = movies.map(GROUPS[grouping]);
            var seen = {};
            groupKey = groupOf.map(function (g) {
                if (!(g in seen))
                    seen[g] = g ? (grouping === "decade" ? g : naturalKey(g)) : NONE;
                return seen[g];
            });
        }
        index.sort(function (a, b) {
            if (groupKey && groupKey[a] !== groupKey[b])
                return groupKey[a] < groupKey[b] ? -1 : 1;
            if (k[a] !== k[b])
                return k[a] < k[b] ? -1 : 1;
            if (t && t[a] !== t[b])
                return t[a] < t[b] ? -1 : 1;
            return a - b;
        });
        ordered = index;
        orderedGroups = groupOf;
    }

    var view = [];      // the movies shown, in order
    var shown = 0;      // how many of them have their card
    var lastGroup = null;
    var more = document.createElement("p");
    more.className = "more";
    more.setAttribute("aria-hidden", "true");

    function applyFilter() {
        var words = fold(filterBox.value).split(/\s+/).filter(Boolean);
        if (!words.length) {
            view = ordered;
        } else {
            buildHaystack();
            var marks = matching(words);
            view = [];
            for (var i = 0; i < ordered.length; ++i) {
                if (marks[ordered[i]])
                    view.push(ordered[i]);
            }
        }
        render(CHUNK);
    }

    var number = new Intl.NumberFormat();
    function render(count) {
        list.textContent = "";
        shown = 0;
        lastGroup = null;
        var total = movies.length;
        status.textContent = view.length === total
            ? number.format(total) + (total === 1 ? " movie" : " movies")
            : number.format(view.length) + " of " + number.format(total) + " movies";
        if (!view.length) {
            var empty = document.createElement("p");
            empty.className = "more";
            empty.textContent = total ? "No movie matches the filter." : "The catalogue holds no movies.";
            list.appendChild(empty);
            return;
        }
        list.appendChild(more);
        addCards(count);
    }

    function groupHeading(name) {
        var h = document.createElement("h2");
        h.className = "group";
        h.textContent = name || GROUP_NONE[groupBox.value];
        return h;
    }

    function addCards(count) {
        var end = Math.min(view.length, shown + count);
        var fragment = document.createDocumentFragment();
        for (; shown < end; ++shown) {
            var m = view[shown];
            if (orderedGroups) {
                var g = orderedGroups[m];
                if (g !== lastGroup) {
                    fragment.appendChild(groupHeading(g));
                    lastGroup = g;
                }
            }
            fragment.appendChild(card(m));
        }
        list.insertBefore(fragment, more);
        more.textContent = shown < view.length ? "More below..." : "";
        if (shown >= view.length && more.parentNode)
            more.parentNode.removeChild(more);
    }

    function text(tag, className, content) {
        var e = document.createElement(tag);
        if (className)
            e.className = className;
        if (content)
            e.textContent = content;
        return e;
    }
    function joined(parts, separator) {
        return parts.filter(function (p) { return p && p.trim(); }).join(separator);
    }

    function card(index) {
        var m = movies[index];
        var article = text("article", "movie");
        var title = value(m, "title") || "(no title)";
        var cover = value(m, "cover");
        if (cover) {
            var img = document.createElement("img");
            img.className = "cover";
            img.loading = "lazy";
            img.width = 60;
            img.height = 90;
            img.alt = "Cover of " + title;
            img.src = cover;
            article.appendChild(img);
        } else if (data.covers) {
            var blank = text("div", "cover none");
            blank.setAttribute("aria-hidden", "true");
            article.appendChild(blank);
        }
        var info = text("div", "info");
        var heading = text("h3");
        var button = text("button", "", title);
        button.type = "button";
        button.setAttribute("aria-expanded", "false");
        var detailsId = "movie-" + index;
        button.setAttribute("aria-controls", detailsId);
        heading.appendChild(button);
        info.appendChild(heading);
        info.appendChild(text("p", "line", joined([value(m, "mv_genre"),
            joined([value(m, "mv_country"), value(m, "mv_year")], " "),
            value(m, "mv_director") ? "Director: " + value(m, "mv_director") : ""], " \u00b7 ")));
        var media = text("p", "line", joined([value(m, "md_type"), value(m, "md_format"), value(m, "md_image")], " / "));
        if (value(m, "catalog")) {
            if (media.textContent)
                media.appendChild(document.createTextNode(" \u00b7 "));
            media.appendChild(text("span", "mid", "Media ID " + value(m, "catalog")));
        }
        info.appendChild(media);
        var details = text("dl", "details");
        details.id = detailsId;
        details.hidden = true;
        info.appendChild(details);
        button.addEventListener("click", function () {
            var open = details.hidden;
            if (open && !details.firstChild)
                fillDetails(details, m);
            details.hidden = !open;
            button.setAttribute("aria-expanded", open ? "true" : "false");
        });
        article.appendChild(info);
        return article;
    }

    function bracketed(main, medium) {
        if (!medium || !medium.trim())
            return main;
        return joined([main, "[" + medium + "]"], " ");
    }

    function fillDetails(dl, m) {
        var cast = joined(["mv_cast1", "mv_cast2", "mv_cast3", "mv_cast4", "mv_cast5", "mv_cast6"]
                          .map(function (c) { return value(m, c); }), ", ");
        var minutes = value(m, "quelto_running_time").trim();
        var rows = [
            ["Media ID", value(m, "catalog")],
            ["Genre", value(m, "mv_genre")],
            ["Country", value(m, "mv_country")],
            ["Year", value(m, "mv_year")],
            ["Director", value(m, "mv_director")],
            ["Company", value(m, "mv_producer")],
            ["Colour", value(m, "mv_color")],
            ["Sound", bracketed(value(m, "mv_sound"), value(m, "md_sound"))],
            ["Language", bracketed(value(m, "mv_language"), value(m, "md_language"))],
            ["IMDb rating", value(m, "mv_rating")],
            ["Medium", joined([value(m, "md_type"), value(m, "md_format"), value(m, "md_image")], " / ")],
            ["Writer", value(m, "mv_book")],
            ["Composer", value(m, "mv_music")],
            ["Cast", cast],
            ["Running time", minutes ? minutes + " min" : ""],
            ["Location", value(m, "quelto_location")]
        ];
        rows.forEach(function (row) {
            if (!row[1] || !row[1].trim())
                return;
            dl.appendChild(text("dt", "", row[0]));
            dl.appendChild(text("dd", "", row[1]));
        });
    }

    // More cards as the end of the list comes into view.
    if ("IntersectionObserver" in window) {
        new IntersectionObserver(function (entries) {
            if (entries.some(function (e) { return e.isIntersecting; }) && shown < view.length)
                addCards(CHUNK);
        }, { rootMargin: "1200px 0px" }).observe(more);
    } else {
        window.addEventListener("scroll", function () {
            if (shown < view.length && more.getBoundingClientRect().top < window.innerHeight + 1200)
                addCards(CHUNK);
        });
    }
    // A printout holds every movie in view.
    window.addEventListener("beforeprint", function () {
        if (shown < view.length)
            addCards(view.length - shown);
    });

    var pending = 0;
    filterBox.addEventListener("input", function () {
        if (pending)
            cancelAnimationFrame(pending);
        pending = requestAnimationFrame(function () {
            pending = 0;
            applyFilter();
        });
    });
    function rearrange() {
        arrange();
        applyFilter();
    }
    sortBox.addEventListener("change", rearrange);
    groupBox.addEventListener("change", rearrange);
    controls.addEventListener("submit", function (event) { event.preventDefault(); });

    controls.hidden = false;
    // The first rows in the catalogue's order, which is by title already;
    // then the natural order, shown again only where it differs, and the
    // filter's text.
    // "index.html#filter=words" opens the page filtered (a link to share).
    var asked = /^#filter=(.*)$/.exec(location.hash);
    if (asked) {
        try {
            filterBox.value = decodeURIComponent(asked[1].replace(/\+/g, " "));
        } catch (e) {
            filterBox.value = "";
        }
    }
    ordered = movies.map(function (_, i) { return i; });
    orderedGroups = null;
    var restored = filterBox.value || sortBox.value !== "title" || groupBox.value; // kept by the browser
    if (restored)
        arrange();
    applyFilter();
    if (window.performance && performance.mark)
        performance.mark("quelto-first-rows");
    setTimeout(function () {
        if (!restored) {
            var before = view;
            arrange();
            if (!filterBox.value && !groupBox.value && sortBox.value === "title") {
                var differs = false;
                for (var i = 0; i < shown && !differs; ++i)
                    differs = before[i] !== ordered[i];
                view = ordered;
                if (differs)
                    render(Math.max(shown, CHUNK));
            } else {
                applyFilter();
            }
        }
        buildHaystackLater();
    }, 0);
    document.documentElement.setAttribute("data-ready", "true");
})();
