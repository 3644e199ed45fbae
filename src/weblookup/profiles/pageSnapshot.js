// Collects what the web lookup reads from a loaded document and returns it as
// one JSON text. Runs in a script world of its own, so the page's scripts can
// neither see nor replace what it uses. Every part is collected on its own:
// a part that fails on an odd page is left empty and the others still come.
//
// The program puts the labels it knows (every language of its label
// dictionary and the profiles' own) and the class words into the two lists
// below before it runs the script.
(function () {
    'use strict';
    var KNOWN_LABELS = /*KNOWN_LABELS*/[];
    var LABEL_PREFIXES = /*LABEL_PREFIXES*/[];
    var CLASS_WORDS = /*CLASS_WORDS*/[];

    var MAX_LINKS = 4000, MAX_LABELLED = 3000, MAX_VALUES = 60, MAX_LABEL = 80, MAX_VALUE = 400;
    var MAX_ITEMS = 200, MAX_DEPTH = 8, MAX_DOM_DEPTH = 200, MAX_TEXT = 4000, MAX_METAS = 300;
    var MAX_POSTERS = 12, MAX_CLASS_ITEMS = 60, MAX_CANDIDATES = 60000;
    // Labelled items are the costly part; on a huge page the collection stops
    // after this much work, keeping what it found. The work is counted (elements
    // looked at, characters of text read), not timed: the same page gives the
    // same snapshot on a busy machine as on a quiet one.
    var WORK_BUDGET = 400000;
    var work = 0;
    function spend(units) {
        work += units;
    }
    function overBudget() {
        return work > WORK_BUDGET;
    }

    function clean(s) {
        return String(s || '').replace(/[\s\u00a0\u200b\u200e\u200f\ufeff]+/g, ' ').trim();
    }
    // Footnote markers, edit links and other page furniture that is no part
    // of a value: Wikipedia's references, hidden and print-less parts.
    var SKIPPED = 'script, style, noscript, template, sup.reference, sup.mw-ref, .mw-ref, .reference, ' +
        '.noprint, .mw-editsection, [hidden], [aria-hidden="true"]';
    function skipped(el) {
        return el.nodeType === 1 && el.matches(SKIPPED);
    }
    // The text of a node as a person reads it: line breaks and list items
    // separate, footnote markers left out.
    var BLOCKS = /^(br|p|div|li|dd|dt|tr|td|th|ul|ol|table|h[1-6]|section|article|header|footer)$/;
    function rawText(node, out, depth) {
        if (out.length > MAX_TEXT || depth > MAX_DOM_DEPTH)
            return;
        spend(1);
        if (node.nodeType === 3) {
            out.push(node.nodeValue);
            return;
        }
        if (node.nodeType !== 1 || skipped(node))
            return;
        var block = BLOCKS.test(node.localName);
        if (block)
            out.push('\n');
        for (var c = node.firstChild; c; c = c.nextSibling)
            rawText(c, out, depth + 1);
        if (block)
            out.push('\n');
    }
    function lineText(node) {
        if (!node)
            return '';
        if (node.nodeType === 1 && !node.querySelector('br, sup, script, style, .noprint, .mw-ref, [hidden], [aria-hidden]')) {
            var whole = String(node.textContent || '');
            spend(1 + (whole.length >> 6));
            return whole.slice(0, MAX_TEXT * 4);
        }
        var out = [];
        rawText(node, out, 0);
        return out.join('');
    }
    function textOf(node) {
        return node ? clean(lineText(node)) : '';
    }
    function attempt(what) {
        try {
            return what();
        } catch (e) {
            return undefined;
        }
    }
    // A label as the program compares it: lower case, notes in parentheses,
    // a trailing colon and a count after it left out.
    function norm(s) {
        var t = clean(s).toLowerCase().replace(/\([^()]*\)/g, ' ').replace(/\s+/g, ' ').trim();
        t = t.replace(/[\s:\uff1a]+$/, '');
        t = t.replace(/([^\d\s])\d[\d.,]*[km]?\+?$/, '$1');
        var half = (t.length - 1) / 2;
        if (t.length % 2 === 1 && t.charAt(half) === ' ' && t.slice(0, half) === t.slice(half + 1))
            t = t.slice(0, half);
        return t;
    }
    var knownLabels = {};
    for (var k = 0; k < KNOWN_LABELS.length; ++k)
        knownLabels[KNOWN_LABELS[k]] = true;
    function isKnownLabel(text) {
        if (!text || text.length > MAX_LABEL)
            return false;
        var n = norm(text);
        if (!n)
            return false;
        if (knownLabels[n] === true)
            return true;
        for (var i = 0; i < LABEL_PREFIXES.length; ++i) {
            var p = LABEL_PREFIXES[i];
            if (n.length > p.length && n.slice(0, p.length) === p && !/[a-z\u00c0-\u024f\u0400-\u04ff]/.test(n.charAt(p.length)))
                return true;
        }
        return false;
    }

    var result = {
        url: String(document.URL || ''),
        title: String(document.title || ''),
        text: '',
        hasBody: false,
        canonical: '',
        siteName: '',
        ogTitle: '',
        headings: [],
        metas: [],
        posterImages: [],
        jsonLd: [],
        microdata: [],
        labelled: [],
        links: []
    };

    attempt(function () {
        var type = document.contentType || '';
        result.hasBody = !!document.body && (/^text\//.test(type) || /xhtml/.test(type));
        if (document.body)
            result.text = String(document.body.innerText || '');
    });

    attempt(function () {
        var link = document.querySelector('link[rel~="canonical" i][href]') ||
            document.querySelector('link[rel~="dc:isVersionOf" i][href]');
        if (link)
            result.canonical = link.href;
        var metas = document.querySelectorAll('meta[property], meta[name], meta[itemprop]');
        for (var i = 0; i < metas.length && result.metas.length < MAX_METAS; ++i) {
            var key = (metas[i].getAttribute('property') || metas[i].getAttribute('name') || '').toLowerCase();
            var content = clean(metas[i].getAttribute('content')).slice(0, MAX_VALUE * 5);
            if (!key || !content)
                continue;
            result.metas.push([key, content]);
            if (key === 'og:site_name' && !result.siteName)
                result.siteName = content;
            else if (key === 'og:title' && !result.ogTitle)
                result.ogTitle = content;
        }
    });

    attempt(function () {
        var h1 = document.querySelectorAll('h1');
        for (var i = 0; i < h1.length && i < 20; ++i) {
            var t = textOf(h1[i]);
            if (t)
                result.headings.push(t.slice(0, MAX_VALUE));
        }
    });

    // The poster: a picture in a box named for it, or the item's image.
    attempt(function () {
        var boxes = /poster|(^|[-_ ])(cover|mainpic|main-image|movie-image|film-image|infobox|infobox-image|packshot)([-_ ]|$)/i;
        var images = document.querySelectorAll('img[src], img[srcset], img[data-src]');
        for (var i = 0; i < images.length && result.posterImages.length < MAX_POSTERS && i < 5000; ++i) {
            var img = images[i];
            var w = parseInt(img.getAttribute('width') || '0', 10), h = parseInt(img.getAttribute('height') || '0', 10);
            if ((w && w < 60) || (h && h < 60))
                continue; // flags, icons, stars
            var named = img.getAttribute('itemprop') === 'image' || /(^|\s)v:image(\s|$)/.test(img.getAttribute('rel') || '');
            for (var el = img, up = 0; el && !named && up < 6; el = el.parentElement, ++up) {
                var words = (el.getAttribute('class') || '') + ' ' + (el.id || '') + ' ' + (el.getAttribute('alt') || '');
                named = boxes.test(words) || /poster|cover/i.test(el.getAttribute('alt') || '');
            }
            if (!named)
                continue;
            // currentSrc may be as written ("//host/x.jpg") when the picture was not loaded.
            var src = img.currentSrc || img.src || img.getAttribute('data-src') || '';
            if (/^data:/i.test(src))
                src = img.getAttribute('data-src') || '';
            src = src ? new URL(src, document.baseURI).href : '';
            if (src && !/^data:/i.test(src) && result.posterImages.indexOf(src) < 0)
                result.posterImages.push(src);
        }
    });

    // JSON-LD is passed on as written; the program reads it, wrappers and all.
    attempt(function () {
        var scripts = document.querySelectorAll('script[type]');
        for (var i = 0; i < scripts.length && result.jsonLd.length < MAX_ITEMS; ++i) {
            if (/ld\+json/i.test(scripts[i].getAttribute('type')))
                result.jsonLd.push(String(scripts[i].textContent || ''));
        }
    });

    // Microdata: each top-level item as an object of its properties.
    function propertyValue(el) {
        var tag = el.localName;
        if (tag === 'meta')
            return clean(el.getAttribute('content'));
        if (tag === 'a' || tag === 'link' || tag === 'area')
            return typeof el.href === 'string' && el.href ? el.href : textOf(el);
        if (tag === 'img' || tag === 'source' || tag === 'iframe' || tag === 'embed' || tag === 'audio' || tag === 'video')
            return typeof el.src === 'string' ? el.src : '';
        if (tag === 'time' && el.getAttribute('datetime'))
            return clean(el.getAttribute('datetime'));
        if ((tag === 'data' || tag === 'meter') && el.hasAttribute('value'))
            return clean(el.getAttribute('value'));
        if (el.hasAttribute('content'))
            return clean(el.getAttribute('content'));
        return textOf(el).slice(0, MAX_VALUE * 10);
    }
    function addProperty(item, name, value) {
        if (!(name in item))
            item[name] = value;
        else if (Array.isArray(item[name]))
            item[name].push(value);
        else
            item[name] = [item[name], value];
    }
    // itemDepth counts nested items, domDepth the elements below the item.
    function collectProperties(item, el, itemDepth, domDepth) {
        for (var c = el.firstElementChild; c; c = c.nextElementSibling) {
            var scoped = c.hasAttribute('itemscope');
            if (c.hasAttribute('itemprop')) {
                var value = scoped ? (itemDepth < MAX_DEPTH ? itemOf(c, itemDepth + 1) : {}) : propertyValue(c);
                var names = clean(c.getAttribute('itemprop')).split(' ');
                for (var n = 0; n < names.length; ++n) {
                    if (names[n])
                        addProperty(item, names[n], value);
                }
            }
            if (!scoped && domDepth < MAX_DOM_DEPTH)
                collectProperties(item, c, itemDepth, domDepth + 1);
        }
    }
    function itemOf(el, itemDepth) {
        var item = {};
        var type = clean(el.getAttribute('itemtype'));
        if (type)
            item['@type'] = type.split(' ');
        collectProperties(item, el, itemDepth, 0);
        return item;
    }
    attempt(function () {
        var scopes = document.querySelectorAll('[itemscope]:not([itemprop])');
        for (var i = 0; i < scopes.length && i < MAX_ITEMS; ++i)
            result.microdata.push(itemOf(scopes[i], 0));
    });

    // The older data-vocabulary RDFa ("v:directedBy", "v:average"), as one
    // Movie item in the shape of the others.
    attempt(function () {
        var names = {
            'v:itemreviewed': 'name', 'v:directedby': 'director', 'v:starring': 'actor', 'v:genre': 'genre',
            'v:initialreleasedate': 'datePublished', 'v:runtime': 'duration', 'v:image': 'image'
        };
        var nodes = document.querySelectorAll('[property^="v:" i], [rel^="v:" i]');
        if (!nodes.length)
            return;
        var movie = { '@type': ['Movie'] }, rating = {};
        for (var i = 0; i < nodes.length && i < 2000; ++i) {
            var el = nodes[i];
            var key = (el.getAttribute('property') || el.getAttribute('rel') || '').toLowerCase().split(' ')[0];
            var value = el.localName === 'img' ? el.src : (el.getAttribute('content') || textOf(el));
            if (!value)
                continue;
            if (key === 'v:average')
                rating.ratingValue = value;
            else if (key === 'v:best')
                rating.bestRating = value;
            else if (key === 'v:votes')
                rating.ratingCount = value;
            else if (names[key])
                addProperty(movie, names[key], names[key] === 'actor' || names[key] === 'director' ? { '@type': 'Person', name: value } : value);
        }
        if (rating.ratingValue)
            movie.aggregateRating = rating;
        if (Object.keys(movie).length > 1)
            result.microdata.push(movie);
    });

    // Labelled items.
    var NOISE = /^(see (more|all|full)\b.*|more|less|edit|show (more|all)\b.*|\||,|\/|\.|:|：|»|›|…|\.\.\.)$/i;
    var LABEL_SELECTOR = 'h2, h3, h4, h5, h6, [class*="label" i]';
    // A parenthesised note ("(screenplay)") is not a value of its own.
    function usable(value) {
        return value && value.length <= MAX_VALUE && !NOISE.test(value) && !/^\(.*\)$/.test(value);
    }
    var knownLabelElements = typeof WeakSet === 'function' ? new WeakSet() : null;
    function isLabelLike(el) {
        return el.nodeType === 1 && (el.matches(LABEL_SELECTOR) || (knownLabelElements && knownLabelElements.has(el)));
    }
    function splitText(text, out) {
        var parts = String(text).split(/\s*(?:\||\n|•|·|, |\s\/\s|、|，)\s*/);
        for (var i = 0; i < parts.length; ++i) {
            var v = clean(parts[i]);
            if (v)
                out.push(v);
        }
    }
    function linkTexts(el, out) {
        var links = el.querySelectorAll('a');
        for (var i = 0; i < links.length; ++i) {
            var furniture = links[i].closest('sup, .reference, .mw-ref, .noprint, .mw-editsection');
            if (furniture && el.contains(furniture))
                continue;
            var t = textOf(links[i]);
            if (t)
                out.push(t);
        }
    }
    // The items of the first list in an element (an item may hold lists of
    // its own, such as a cast member's characters).
    function listItems(el) {
        if (el.localName === 'li')
            return [el];
        var list = el.localName === 'ul' || el.localName === 'ol' ? el : el.querySelector('ul, ol');
        var items = [];
        for (var c = list ? list.firstElementChild : null; c; c = c.nextElementSibling) {
            if (c.localName === 'li')
                items.push(c);
        }
        return items;
    }
    // The values inside one element: a table's rows (the first cell with
    // text), a list's items (their first link, or their text), links, or text.
    function valuesOf(el, out) {
        if (el.nodeType === 3) {
            splitText(el.textContent, out);
            return;
        }
        if (el.nodeType !== 1 || skipped(el))
            return;
        var table = el.localName === 'table' ? el : null;
        if (table) {
            var rows = table.rows || [];
            for (var r = 0; r < rows.length && out.length < MAX_VALUES * 2; ++r) {
                var cells = rows[r].cells || [];
                if (cells.length === 1 && cells[0].colSpan > 1)
                    continue;
                for (var c = 0; c < cells.length; ++c) {
                    var t = textOf(cells[c]);
                    if (t) {
                        out.push(t);
                        break;
                    }
                }
            }
            return;
        }
        var items = listItems(el);
        var any = false;
        for (var i = 0; i < items.length && out.length < MAX_VALUES * 2; ++i) {
            // The first link with text names the item (a photo's link has none).
            var v = '';
            var links = items[i].querySelectorAll('a');
            for (var a = 0; a < links.length && !v; ++a)
                v = textOf(links[a]);
            if (!v)
                v = textOf(items[i]);
            if (v) {
                out.push(v);
                any = true;
            }
        }
        if (any)
            return;
        var before = out.length;
        linkTexts(el, out);
        if (out.length === before)
            splitText(lineText(el), out);
    }
    function addLabelled(label, values, text) {
        label = clean(label);
        if (!label || label.length > MAX_LABEL || result.labelled.length >= MAX_LABELLED)
            return;
        var kept = [];
        for (var i = 0; i < values.length && kept.length < MAX_VALUES; ++i) {
            var v = clean(values[i]);
            if (usable(v))
                kept.push(v);
        }
        if (kept.length)
            result.labelled.push({ label: label, values: kept, text: clean(text || '').slice(0, MAX_VALUE) });
    }
    // The values after a label: its following siblings up to the next label.
    // A label with nothing after it looks one or two levels up, for headings
    // wrapped in a box of their own.
    function valuesAfter(label, texts) {
        var from = label;
        for (var level = 0; level < 3 && from; ++level) {
            var out = [];
            var siblings = 0;
            for (var n = from.nextSibling; n && out.length < MAX_VALUES * 2 && siblings < 100; n = n.nextSibling, ++siblings) {
                spend(1);
                if (n.nodeType === 1 && (isLabelLike(n) || n.localName === 'dt' || n.localName === 'br' && out.length && label.localName !== 'h2' && label.localName !== 'h3'))
                    break;
                valuesOf(n, out);
                if (texts.length < 8)
                    texts.push(n.nodeType === 3 ? n.textContent : lineText(n));
            }
            if (out.length)
                return out;
            texts.length = 0;
            // A table cell's label is its row's; the rows below are other things.
            if (from.localName === 'td' || from.localName === 'th')
                break;
            from = from.parentElement;
            if (!from || from === document.body)
                break;
        }
        return [];
    }
    function labelHere(el) {
        var label = textOf(el);
        if (label && label.length <= MAX_LABEL) {
            var texts = [];
            var values = valuesAfter(el, texts);
            addLabelled(label, values, texts.join(' '));
        }
    }
    // Elements that show nothing but a known label ("Regie:", "导演", a bold
    // "Genre:"): labels whatever their markup.
    attempt(function () {
        if (!KNOWN_LABELS.length || !knownLabelElements)
            return;
        var candidates = document.body.querySelectorAll('b, strong, span, em, i, font, label, div, p, td, th, dt, li, h2, h3, h4, h5, h6');
        for (var i = 0; i < candidates.length && i < MAX_CANDIDATES && !overBudget(); ++i) {
            var el = candidates[i];
            spend(1);
            if (el.childElementCount > 3)
                continue;
            var t = el.textContent;
            spend(t.length >> 6);
            if (!t || t.length > MAX_LABEL + 20 || !isKnownLabel(t))
                continue;
            // A link or a menu entry is navigation, not a label; in a table
            // only the first cell of a row holds a label.
            if (el.closest('a, button, nav, select, option, script, style, [hidden], [role="navigation"]') || el.querySelector('a'))
                continue;
            var cell = el.closest('td, th');
            if (cell && cell.cellIndex > 0)
                continue;
            // The innermost element that holds the label alone.
            var inner = el.firstElementChild;
            if (inner && el.childElementCount === 1 && clean(inner.textContent) === clean(t))
                continue;
            knownLabelElements.add(el);
        }
    });
    attempt(function () {
        var labels = document.querySelectorAll(LABEL_SELECTOR);
        for (var i = 0; i < labels.length && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            spend(1);
            if (labels[i].localName === 'td' || labels[i].localName === 'th')
                continue; // a table row's label is read with its row below
            labelHere(labels[i]);
        }
    });
    attempt(function () {
        if (!knownLabelElements)
            return;
        var elements = document.body.querySelectorAll('b, strong, span, em, i, font, label, div, p, dt, li, h2, h3, h4, h5, h6');
        for (var i = 0; i < elements.length && i < MAX_CANDIDATES && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            var el = elements[i];
            spend(1);
            if (!knownLabelElements.has(el) || el.matches(LABEL_SELECTOR) || el.localName === 'dt')
                continue;
            labelHere(el);
        }
    });
    attempt(function () {
        var terms = document.querySelectorAll('dt');
        for (var i = 0; i < terms.length && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            var out = [], texts = [];
            for (var d = terms[i].nextElementSibling; d && d.localName !== 'dt'; d = d.nextElementSibling) {
                spend(1);
                valuesOf(d, out);
                texts.push(lineText(d));
            }
            addLabelled(textOf(terms[i]), out, texts.join(' '));
        }
    });
    // Table rows: a label cell and a value cell; a heading row across the
    // table ("Cast") over rows of one cell each.
    attempt(function () {
        var rows = document.querySelectorAll('tr');
        var heading = null, under = [], underText = [];
        function endSection() {
            if (heading && under.length)
                addLabelled(heading, under, underText.join(' '));
            heading = null;
            under = [];
            underText = [];
        }
        var table = null;
        for (var i = 0; i < rows.length && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            var cells = rows[i].cells || [];
            spend(1 + cells.length);
            var rowTable = rows[i].closest('table');
            if (rowTable !== table) {
                endSection();
                table = rowTable;
            }
            if (cells.length === 1) {
                var only = cells[0];
                if (only.localName === 'th' || (only.colSpan > 1 && !only.querySelector('ul, ol, table') && textOf(only).length <= 40)) {
                    endSection();
                    heading = textOf(only);
                    if (heading.length > 40)
                        heading = null;
                } else if (heading) {
                    valuesOf(only, under);
                    underText.push(lineText(only));
                }
                continue;
            }
            endSection();
            if (cells.length !== 2)
                continue;
            var label = textOf(cells[0]);
            if (!label || label.length > 40)
                continue;
            var out = [];
            valuesOf(cells[1], out);
            addLabelled(label, out, lineText(cells[1]));
        }
        endSection();
    });
    // Elements named by their class or id for a field ("genre", "runtime"),
    // labelled by that word.
    attempt(function () {
        if (!CLASS_WORDS.length)
            return;
        var words = {};
        for (var w = 0; w < CLASS_WORDS.length; ++w)
            words[CLASS_WORDS[w]] = true;
        var found = 0;
        var all = document.body.querySelectorAll('[class], [id]');
        for (var i = 0; i < all.length && found < MAX_CLASS_ITEMS && i < MAX_CANDIDATES && !overBudget(); ++i) {
            var el = all[i];
            spend(1);
            if (el.childElementCount > 30 || skipped(el) || el.localName === 'body' || el.localName === 'html')
                continue;
            var names = ((typeof el.className === 'string' ? el.className : '') + ' ' + (el.id || '')).toLowerCase().split(/[\s_-]+/);
            var word = '';
            for (var n = 0; n < names.length && !word; ++n) {
                if (words[names[n]] === true)
                    word = names[n];
            }
            if (!word)
                continue;
            var text = lineText(el);
            if (!clean(text) || clean(text).length > 300)
                continue;
            var out = [];
            splitText(text, out);
            addLabelled(word, out, text);
            ++found;
        }
    });

    // The cast as the page bills it, with the character each plays where the
    // page names one: [person, character] pairs in billing order. Read from
    // IMDb's cast items and cast tables, Letterboxd's cast links (the
    // character is the link's title) and a "Cast" section's list items that
    // read "Person as Character". A character the page does not name stays "".
    attempt(function () {
        var MAX_ROLES = 200, roles = [], seen = {};
        function add(person, character) {
            person = clean(person);
            character = clean(character || '');
            if (!person || person.length > MAX_LABEL || roles.length >= MAX_ROLES || seen[person] === true)
                return;
            seen[person] = true;
            roles.push([person, character.slice(0, MAX_VALUE)]);
        }
        // The characters of one cast item, each once ("as Neo" written beside "Neo" is left out).
        function characters(nodes) {
            var out = [];
            for (var i = 0; i < nodes.length; ++i) {
                var bare = nodes[i].querySelector('[class*="CharacterNameWithoutAs"]');
                var t = clean(textOf(bare || nodes[i])).replace(/^as /, '');
                if (t && out.indexOf(t) < 0)
                    out.push(t);
            }
            return out.join(' / ');
        }
        var items = document.querySelectorAll('[data-testid="title-cast-item"]');
        for (var i = 0; i < items.length; ++i) {
            var actor = items[i].querySelector('[data-testid="title-cast-item__actor"]');
            if (!actor)
                continue;
            var links = items[i].querySelectorAll('[data-testid="cast-item-characters-link"]');
            add(textOf(actor), characters(links.length ? links : items[i].querySelectorAll('[data-testid="cast-item-characters-list"] li')));
        }
        if (!roles.length) {
            // IMDb's cast tables; on the older title pages, a table headed
            // "Cast ..." whose rows read "Person .... Character".
            var rows = document.querySelectorAll('table.cast_list tr, table.cast tr');
            if (!rows.length)
                rows = document.querySelectorAll('table tr');
            for (var r = 0; r < rows.length; ++r) {
                var character = rows[r].querySelector('td.character, td.char');
                var cells = rows[r].querySelectorAll('td');
                var person = null;
                for (var c = 0; c < cells.length && !person; ++c) {
                    var link = cells[c].querySelector('a[href*="/name/"]');
                    if (link && clean(textOf(link)))
                        person = link;
                }
                var table = rows[r].closest('table');
                var listed = rows[r].closest('table.cast_list, table.cast') !== null;
                if (!listed && !(cells.length === 3 && /^\.{3,4}$/.test(clean(textOf(cells[1]))) && table &&
                                 table.rows.length && /\bcast\b/i.test(clean(textOf(table.rows[0])))))
                    continue;
                if (person && !character && cells.length >= 3)
                    character = cells[cells.length - 1];
                if (person)
                    add(textOf(person), character ? textOf(character) : '');
            }
        }
        if (!roles.length) {
            var slugs = document.querySelectorAll('#tab-cast a[href*="/actor/"], .cast-list a[href*="/actor/"]');
            for (var l = 0; l < slugs.length; ++l)
                add(textOf(slugs[l]), slugs[l].getAttribute('title') || slugs[l].getAttribute('data-original-title') || '');
        }
        if (!roles.length) {
            var headings = document.querySelectorAll('h2, h3');
            var castWords = /^(cast|starring|besetzung|reparto|elenco|cast principale|distribution)$/i;
            var joins = / (?:as|als|como|nel ruolo di) /;
            for (var h = 0; h < headings.length && !roles.length; ++h) {
                if (!castWords.test(clean(textOf(headings[h])).replace(/\[.*\]$/, '')))
                    continue;
                var section = headings[h].closest('section') || headings[h].parentNode;
                var entries = section ? section.querySelectorAll('li') : [];
                for (var e = 0; e < entries.length; ++e) {
                    var line = clean(lineText(entries[e]).replace(/\s+/g, ' '));
                    var m = joins.exec(line);
                    if (!m)
                        continue;
                    var who = line.slice(0, m.index);
                    var what = line.slice(m.index + m[0].length).split(/[:;,(]| [-\u2013\u2014] /)[0];
                    if (who.split(' ').length <= 5)
                        add(who, what.replace(/\.$/, ''));
                }
            }
        }
        result.castRoles = roles;
    });

    attempt(function () {
        var links = document.querySelectorAll('a[href]');
        for (var i = 0; i < links.length && result.links.length < MAX_LINKS; ++i) {
            // An SVG link's href is no text; it is of no use here.
            if (typeof links[i].href === 'string')
                result.links.push({ text: textOf(links[i]).slice(0, MAX_VALUE), href: links[i].href });
        }
    });

    return JSON.stringify(result);
})()
