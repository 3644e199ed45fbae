// Collects what the web lookup reads from a loaded document and returns it as
// one JSON text. Runs in a script world of its own, so the page's scripts can
// neither see nor replace what it uses. Every part is collected on its own:
// a part that fails on an odd page is left empty and the others still come.
(function () {
    'use strict';
    var MAX_LINKS = 4000, MAX_LABELLED = 3000, MAX_VALUES = 60, MAX_LABEL = 80, MAX_VALUE = 400;
    var MAX_ITEMS = 200, MAX_DEPTH = 8, MAX_DOM_DEPTH = 200;
    // Labelled items are the costly part; on a huge page the collection stops
    // after this long, keeping what it found.
    var LABEL_BUDGET_MS = 1500;
    var started = Date.now();
    function overBudget() {
        return Date.now() - started > LABEL_BUDGET_MS;
    }

    function clean(s) {
        return String(s || '').replace(/[\s\u00a0\u200b\u200e\u200f\ufeff]+/g, ' ').trim();
    }
    function textOf(node) {
        return node ? clean(node.textContent) : '';
    }
    function attempt(what) {
        try {
            return what();
        } catch (e) {
            return undefined;
        }
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
        var link = document.querySelector('link[rel~="canonical" i][href]');
        if (link)
            result.canonical = link.href;
        var metas = document.querySelectorAll('meta[property], meta[name]');
        for (var i = 0; i < metas.length; ++i) {
            var key = (metas[i].getAttribute('property') || metas[i].getAttribute('name') || '').toLowerCase();
            var content = clean(metas[i].getAttribute('content'));
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

    // Labelled items.
    var NOISE = /^(see (more|all|full)\b.*|more|less|edit|show (more|all)\b.*|\||,|\.|»|›|…|\.\.\.)$/i;
    var LABEL_SELECTOR = 'h2, h3, h4, h5, h6, [class*="label" i]';
    // A parenthesised note ("(screenplay)") is not a value of its own.
    function usable(value) {
        return value && value.length <= MAX_VALUE && !NOISE.test(value) && !/^\(.*\)$/.test(value);
    }
    function isLabelLike(el) {
        return el.nodeType === 1 && el.matches(LABEL_SELECTOR);
    }
    function splitText(text, out) {
        var parts = String(text).split(/\s*(?:\||\n|•|·|, )\s*/);
        for (var i = 0; i < parts.length; ++i) {
            var v = clean(parts[i]);
            if (v)
                out.push(v);
        }
    }
    function linkTexts(el, out) {
        var links = el.querySelectorAll('a');
        for (var i = 0; i < links.length; ++i) {
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
        if (el.nodeType !== 1 || el.localName === 'script' || el.localName === 'style')
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
            splitText(el.textContent, out);
    }
    function addLabelled(label, values) {
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
            result.labelled.push({ label: label, values: kept });
    }
    // The values after a label: its following siblings up to the next label.
    // A label with nothing after it looks one or two levels up, for headings
    // wrapped in a box of their own.
    function valuesAfter(label) {
        var from = label;
        for (var level = 0; level < 3 && from; ++level) {
            var out = [];
            var siblings = 0;
            for (var n = from.nextSibling; n && out.length < MAX_VALUES * 2 && siblings < 100; n = n.nextSibling, ++siblings) {
                if (n.nodeType === 1 && (isLabelLike(n) || n.localName === 'dt'))
                    break;
                valuesOf(n, out);
            }
            if (out.length)
                return out;
            from = from.parentElement;
            if (!from || from === document.body)
                break;
        }
        return [];
    }
    attempt(function () {
        var labels = document.querySelectorAll(LABEL_SELECTOR);
        for (var i = 0; i < labels.length && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            var label = textOf(labels[i]);
            if (label && label.length <= MAX_LABEL)
                addLabelled(label, valuesAfter(labels[i]));
        }
    });
    attempt(function () {
        var terms = document.querySelectorAll('dt');
        for (var i = 0; i < terms.length && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            var out = [];
            for (var d = terms[i].nextElementSibling; d && d.localName !== 'dt'; d = d.nextElementSibling)
                valuesOf(d, out);
            addLabelled(textOf(terms[i]), out);
        }
    });
    attempt(function () {
        var rows = document.querySelectorAll('tr');
        for (var i = 0; i < rows.length && result.labelled.length < MAX_LABELLED && !overBudget(); ++i) {
            var cells = rows[i].cells || [];
            if (cells.length !== 2)
                continue;
            var label = textOf(cells[0]);
            if (!label || label.length > 40)
                continue;
            var out = [];
            valuesOf(cells[1], out);
            addLabelled(label, out);
        }
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
