#pragma once

// Makes banner items the view was not written against: each mutant is a seed item
// (a hostile one or an ordinary one) changed one to six times by edits aimed at
// where a second reader of HTML and Qt's own would part ways, and at what makes
// Qt's layout slow: how a tag name ends, what follows '<', character references
// inside names, spans with signed and huge numbers, table parts without a table,
// many font families, deep nesting, plus blind splices, copies and byte flips.

#include <QByteArray>

#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace bench_banner {

// Ordinary items of the kind the list carries.
inline std::vector<QByteArray> OrdinaryItems()
{
    return {
        "<table width=\"100%\" bgcolor=\"#1d3557\"><tr><td><font color=\"#f1faee\" size=\"5\"><b>Byteloom 2.0</b></font><br>"
        "<font color=\"#a8dadc\">Bytes of files of any size, read-only.</font></td></tr></table>"
        "<p><a href=\"https://www.byteloom.example/\">Learn more</a></p>",
        "<h3>Tip of the day</h3><p>Ctrl+G jumps to any address, in hex or decimal. "
        "<a href=\"https://www.byteloom.example/tips\">More tips</a></p>",
        "<table><tr><th>Version</th><th>Date</th></tr><tr><td>2.0.1</td><td>2026-12-01</td></tr>"
        "<tr><td colspan=\"2\"><i>Faster scans</i></td></tr></table>",
        "<div style=\"font-family: 'DejaVu Sans'; font-size: 14px; color: #264653\"><ul><li>Find</li><li>Goto</li>"
        "<li>Print</li></ul></div>",
        "<p align=\"center\"><font face=\"Liberation Serif\" size=\"4\">Byteloom <span style=\"color:red\">Pro</span>"
        "</font> &mdash; <a href=\"https://www.byteloom.example/pro\">upgrade</a> &amp; save 20%</p>",
        "<center><b>New:</b> the data inspector reads 21 types at the cursor.<br><small>Press F1 for help.</small></center>",
    };
}

class Mutator {
public:
    explicit Mutator(std::vector<QByteArray> seedItems, unsigned seed = 20261210) : seeds(std::move(seedItems)), gen(seed) {}

    QByteArray next()
    {
        QByteArray item = pick(seeds);
        const int edits = 1 + below(6);
        for (int i = 0; i < edits; ++i)
            edit(item);
        return item.left(64 * 1024 - 64);
    }

private:
    int below(int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); }
    template <typename T>
    const T& pick(const std::vector<T>& from) { return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))]; }
    qsizetype place(const QByteArray& item) { return item.isEmpty() ? 0 : below(static_cast<int>(item.size()) + 1); }

    // Where a tag's name ends: the index after the name of a random '<' + letters, or -1.
    qsizetype nameEnd(const QByteArray& item)
    {
        for (int tries = 0; tries < 8; ++tries) {
            const qsizetype lt = item.indexOf('<', place(item));
            if (lt < 0 || lt + 1 >= item.size())
                continue;
            qsizetype end = lt + 1;
            while (end < item.size() && std::isalpha(static_cast<unsigned char>(item[end])))
                ++end;
            if (end > lt + 1)
                return end;
        }
        return -1;
    }

    QByteArray number()
    {
        static const std::vector<QByteArray> numbers{"-1", "+99999", "2147483647", "-2147483648", "4294967297", "1e9",
                                                     "0x7fffffff", "99999999999999", " +5", "-0", "65535", "1000",
                                                     "\"-3000\"", "'+250'", "3.5e4", "00000000000000000000000000007000"};
        return pick(numbers);
    }

    QByteArray repeat(const QByteArray& unit, int times) { return unit.repeated(times); }

    void edit(QByteArray& item)
    {
        switch (below(12)) {
        case 0: { // how a tag name ends
            static const std::vector<QByteArray> ends{"/", "\t", "\n", "\f", QByteArray(1, '\0'), "\v", "\r", "\"", "'",
                                                      "=", "<", "\x80", "\xc2\xa0", "&", ">>", "/>", "\\"};
            if (const qsizetype end = nameEnd(item); end > 0)
                item.insert(end, pick(ends));
            break;
        }
        case 1: { // what follows '<'
            static const std::vector<QByteArray> followers{"!", "?", "/", "%", "0", " ", "<", QByteArray(1, '\0'),
                                                           "\xc3\xa9", "-", "[", "!--", "![CDATA[", "/ ", "a:", "=", "\t"};
            item.insert(place(item), "<" + pick(followers));
            break;
        }
        case 2: { // character references inside names
            static const std::vector<QByteArray> refs{"&#100;", "&#x74;", "&lt;", "&amp;", "&#0;", "&#9;", "&nbsp;", "&#62;"};
            if (const qsizetype end = nameEnd(item); end > 0)
                item.insert(end - below(2), pick(refs)); // before the name's last letter, or right after it
            break;
        }
        case 3: { // spans, signed and huge
            static const std::vector<QByteArray> cells{"td", "th"};
            QByteArray cell = "<" + pick(cells) + " colspan=" + number() + (below(2) ? " rowspan=" + number() : "") + ">x";
            item.insert(place(item), repeat(cell, 1 + below(40)));
            break;
        }
        case 4: { // table parts without a table
            static const std::vector<QByteArray> parts{"<tr><td>x", "<td>x", "<th>y", "<tr>", "<caption>c", "<thead><tr><td>h",
                                                        "<tbody><tr><td>b", "</td><td>", "<td width=" + QByteArray("2000") + ">w"};
            item.insert(place(item), repeat(pick(parts), 1 + below(600)));
            break;
        }
        case 5: { // many font families
            QByteArray fonts;
            const int n = 1 + below(900);
            const int base = below(1000000);
            for (int i = 0; i < n; ++i)
                fonts += below(2) ? "<font face=\"Fam" + QByteArray::number(base + i) + "\">f</font>"
                                  : "<span style=\"font-family:'F" + QByteArray::number(base + i) + "', G" +
                                        QByteArray::number(base + i) + "\">s</span>";
            item.insert(place(item), fonts);
            break;
        }
        case 6: { // nesting
            static const std::vector<QByteArray> opens{"<div>", "<ul><li>", "<table><tr><td>", "<blockquote>", "<b>", "<dl><dd>", "<ol><li>"};
            item.insert(place(item), repeat(pick(opens), 1 + below(400)));
            break;
        }
        case 7: { // sizes
            static const std::vector<QByteArray> sizes{"<img width=%1 height=%1 src=\"data:,\">", "<p style=\"font-size:%1px\">s</p>",
                                                       "<table width=%1><tr><td>w</td></tr></table>", "<hr width=%1>",
                                                       "<p style=\"margin-left:%1px; line-height:%1px\">m</p>",
                                                       "<font size=%1>z</font>", "<pre style=\"white-space:pre\">%1</pre>"};
            QByteArray s = pick(sizes);
            item.insert(place(item), s.replace("%1", number()));
            break;
        }
        case 8: { // splice from another seed
            const QByteArray& other = pick(seeds);
            const qsizetype from = place(other);
            item.insert(place(item), other.mid(from, below(4096)));
            break;
        }
        case 9: { // copy a slice of itself
            const qsizetype from = place(item);
            const QByteArray slice = item.mid(from, 1 + below(512));
            item.insert(place(item), repeat(slice, 1 + below(64)));
            break;
        }
        case 10: { // cut
            item.remove(place(item), below(256));
            break;
        }
        default: { // flip bytes
            for (int i = below(8); i >= 0 && !item.isEmpty(); --i)
                item[below(static_cast<int>(item.size()))] = static_cast<char>(gen());
            break;
        }
        }
        if (item.size() > 96 * 1024)
            item.truncate(96 * 1024);
    }

    std::vector<QByteArray> seeds;
    std::mt19937 gen;
};

} // namespace bench_banner
