#include "card.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "convert.h"
#include "text_clean.h"

namespace ztp {
namespace {

constexpr double kPtPerMm = 72.0 / 25.4;
constexpr double pt(double mm) { return mm * kPtPerMm; }

// Japanese first; the other CJK faces and sans-serif cover Hangul, Chinese
// and the rest.
const char* const kFontFamilies =
    "Noto Sans CJK JP,IPAPGothic,IPAGothic,Noto Sans CJK KR,Noto Sans CJK SC,Noto Sans CJK "
    "TC,sans-serif";
// The card's own texts: a font that cannot draw them is no use.
const char* const kFontSample = "A面B面0:曲最適テープ";
constexpr double kMaxListPt = 9.0;
constexpr double kOneColumnPt = 7.0;  // a side list shrinks in one column down to this
constexpr double kMinListPt = 5.0;    // the smallest size still read with ease
constexpr double kHeadingPt = 10.0;
constexpr double kSpinePt = 10.0;
constexpr double kPaddingMm = 3.0;
constexpr double kMarkGapMm = 2.0;     // from the card's edge to a mark
constexpr double kMarkLengthMm = 5.0;  // length of a cut or fold mark

// One line of a side list, and a side: the pieces of the side list texts.
struct Entry {
    std::string number, title, time;
};
struct Side {
    const char* heading;
    std::vector<Entry> entries;
    std::string total;  // "3曲  14:19"
};

int diskOf(const std::string& entry) {
    const std::string d = trimText(entry.substr(0, std::min<std::size_t>(4, entry.size())));
    return !d.empty() &&
                   std::all_of(d.begin(), d.end(),
                               [](unsigned char c) { return std::isdigit(c); }) &&
                   d.size() < 4
               ? std::stoi(d)
               : 0;
}

std::string discName(const ResultSource& s, int disk) {
    const std::string& t = disk >= 1 && disk <= kMaxDisks ? s.titles[disk - 1] : std::string();
    return t.empty() ? "Disc " + std::to_string(disk) : t;
}

// The song title of an entry, else its disc's title.
std::string songName(const ResultSource& s, const SongTitles& songs, int disk,
                     const std::string& track) {
    const bool number =
        !track.empty() && track.size() < 4 &&
        std::all_of(track.begin(), track.end(), [](unsigned char c) { return std::isdigit(c); });
    const int t = number ? std::stoi(track) : 0;
    if (disk >= 1 && disk <= static_cast<int>(songs.size()) && t >= 1 &&
        t <= static_cast<int>(songs[disk - 1].size()) && !songs[disk - 1][t - 1].empty())
        return songs[disk - 1][t - 1];
    return discName(s, disk);
}

Side sideOf(const char* heading, const std::vector<std::string>& texts, const std::string& total,
            const ResultSource& s, const SongTitles& songs) {
    Side side{heading, {}, {}};
    for (const std::string& e : texts) {
        if (e.size() < 20) continue;
        const int disk = diskOf(e);
        const std::string track = trimText(e.substr(5, 5));
        side.entries.push_back({std::to_string(disk) + "-" + track, songName(s, songs, disk, track),
                                trimText(e.substr(13))});
    }
    const std::string count = total.size() >= 20 ? trimText(total.substr(5, 5)) : "0";
    const std::string time = total.size() >= 20 ? trimText(total.substr(13)) : "0:00";
    side.total = count + "曲  " + time;
    return side;
}

// Pango wants well-formed UTF-8: a malformed byte becomes U+FFFD.
std::string wellFormed(const std::string& text) {
    std::string out;
    std::string_view rest = text;
    for (std::size_t bad; (bad = invalidUtf8At(rest)) != std::string_view::npos;
         rest = rest.substr(bad + 1))
        out.append(rest.substr(0, bad)).append("\xEF\xBF\xBD");
    return out.append(rest);
}

// Text drawing over one pango context; sizes in points, which are the user
// units of every surface.
class Typesetter {
public:
    explicit Typesetter(cairo_t* cr) : cr_(cr), context_(pango_cairo_create_context(cr)) {
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context_, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context_, 72.0);
        pango_context_set_language(context_, pango_language_from_string("ja"));
    }
    ~Typesetter() { g_object_unref(context_); }
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    // Width and height of a text in one line.
    std::pair<double, double> extent(const std::string& text, double size, bool bold = false) {
        PangoLayout* layout = make(text, size, bold, -1, false);
        int w, h;
        pango_layout_get_size(layout, &w, &h);
        g_object_unref(layout);
        return {w / double(PANGO_SCALE), h / double(PANGO_SCALE)};
    }
    double lineHeight(double size) { return extent("0Ag面", size).second; }
    // Whether the fonts found draw every character of text (no empty boxes).
    bool draws(const std::string& text, double size) {
        PangoLayout* layout = make(text, size, false, -1, false);
        const int unknown = pango_layout_get_unknown_glyphs_count(layout);
        int w, h;
        pango_layout_get_size(layout, &w, &h);
        g_object_unref(layout);
        return unknown == 0 && w > 0 && h > 0;
    }

    enum class Align { Left, Right, Center };
    // Draws text with its top at y inside [x, x + width], ending in "…" when too long.
    void draw(const std::string& text, double size, double x, double y, double width, Align align,
              bool bold = false) {
        PangoLayout* layout = make(text, size, bold, width, true);
        pango_layout_set_alignment(layout, align == Align::Left    ? PANGO_ALIGN_LEFT
                                           : align == Align::Right ? PANGO_ALIGN_RIGHT
                                                                   : PANGO_ALIGN_CENTER);
        cairo_move_to(cr_, x, y);
        pango_cairo_update_context(cr_, context_);
        pango_layout_context_changed(layout);
        pango_cairo_show_layout(cr_, layout);
        g_object_unref(layout);
    }

private:
    PangoLayout* make(const std::string& text, double size, bool bold, double width,
                      bool ellipsize) {
        PangoLayout* layout = pango_layout_new(context_);
        PangoFontDescription* font = pango_font_description_from_string(kFontFamilies);
        pango_font_description_set_size(font, static_cast<int>(std::lround(size * PANGO_SCALE)));
        if (bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
        if (width > 0) pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
        if (ellipsize) pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        const std::string valid = wellFormed(text);
        pango_layout_set_text(layout, valid.c_str(), static_cast<int>(valid.size()));
        return layout;
    }

    cairo_t* cr_;
    PangoContext* context_;
};

// How a list is set: font size, columns, lines per column, and the widths of
// the number and time fields.
struct ListFit {
    double size = 0;
    int columns = 0, rows = 0;
    double lineHeight = 0, numberWidth = 0, timeWidth = 0;
};

constexpr double kFieldGapPt = 3.0;

// The size a list of count lines is set in, and its columns: one column
// down to oneColumnDownTo points, then up to maxColumns columns at no more
// than that size, down to kMinListPt (fewest columns among equal sizes). A
// longer list never gets a larger size than a shorter one: each column
// count's best size only falls as the list grows. A line needs its fixed
// fields plus room for at least minTitleEms of title.
bool fitList(Typesetter& ts, int count, double width, double height, int maxColumns,
             double minTitleEms, double oneColumnDownTo, const std::string& numberSample,
             const std::string& timeSample, ListFit& fit) {
    auto fits = [&](int columns, double size, ListFit& f) {
        const double line = ts.lineHeight(size) * 1.05;
        const int rows = (count + columns - 1) / columns;
        const double number = ts.extent(numberSample, size).first;
        const double time = timeSample.empty() ? 0 : ts.extent(timeSample, size).first;
        const double column = (width - (columns - 1) * 2 * kFieldGapPt) / columns;
        const double title = column - number - time - (timeSample.empty() ? 1 : 2) * kFieldGapPt;
        if (rows * line > height || title < minTitleEms * size) return false;
        f = {size, columns, rows, line, number, time};
        return true;
    };
    bool found = false;
    for (int columns = 1; columns <= maxColumns; ++columns) {
        const double top = columns == 1 ? kMaxListPt : oneColumnDownTo;
        for (double size = top; size >= kMinListPt - 1e-9; size -= 0.5) {
            ListFit f;
            if (!fits(columns, size, f)) continue;
            if (!found || f.size > fit.size + 1e-9) fit = f;
            found = true;
            break;
        }
        if (found && columns == 1 && fit.size >= oneColumnDownTo - 1e-9) return true;
    }
    return found;
}

struct Geometry {
    double pageW, pageH;  // points
    double x, y, w;       // the card's top left corner and width
    double front, spine, flap;
    double height() const { return front + spine + flap; }
};

Geometry geometryFor(Paper paper) {
    Geometry g{};
    g.pageW = paper == Paper::A4 ? pt(210.0) : 8.5 * 72.0;
    g.pageH = paper == Paper::A4 ? pt(297.0) : 11.0 * 72.0;
    g.w = pt(kCardWidthMm);
    g.front = pt(kFrontHeightMm);
    g.spine = pt(kSpineHeightMm);
    g.flap = pt(kFlapHeightMm);
    g.x = (g.pageW - g.w) / 2;
    g.y = pt(kCardTopMm);
    return g;
}

struct Layout {
    Side a, b;
    ListFit sides, discs;
    std::vector<Entry> discList;
    std::string tape, date;
};

const double kPad = pt(kPaddingMm);

double listTop(Typesetter& ts) { return kPad + ts.extent("A面", kHeadingPt, true).second + 3.0; }
double sideWidth(const Geometry& g) { return (g.w - 3 * kPad) / 2; }

Layout layOut(Typesetter& ts, const Geometry& g, const ResultSource& s, Date date,
              const SongTitles& songs, const std::string& tapeLabel) {
    Layout l{sideOf("A面", s.sideA, s.totalA, s, songs),
             sideOf("B面", s.sideB, s.totalB, s, songs),
             {},
             {},
             {},
             {},
             {}};
    const int longest = static_cast<int>(std::max(l.a.entries.size(), l.b.entries.size()));
    const double listHeight = g.front - listTop(ts) - kPad;
    // Field widths for the widest number and time the lists hold.
    std::string number = "0", time = "0:00";
    for (const Side* side : {&l.a, &l.b})
        for (const Entry& e : side->entries) {
            if (e.number.size() > number.size()) number = std::string(e.number.size(), '0');
            if (e.time.size() > time.size()) time = std::string(e.time.size() - 3, '0') + ":00";
        }
    if (!ts.draws(kFontSample, kMinListPt))
        throw CardError(
            "no usable font for the card: none found draws Japanese text (install fonts-noto-cjk "
            "or "
            "fonts-ipafont); nothing written");
    if (!fitList(ts, std::max(longest, 1), sideWidth(g), listHeight, 2, 4.0, kOneColumnPt, number,
                 time, l.sides)) {
        const int lines = static_cast<int>(listHeight / (ts.lineHeight(kMinListPt) * 1.05)) * 2;
        throw CardError("the side lists do not fit on the card: " + std::to_string(longest) +
                        " tracks on one side, at most " + std::to_string(lines) +
                        " fit; nothing written");
    }
    std::set<int> disks;
    for (const auto* texts : {&s.sideA, &s.sideB})
        for (const std::string& e : *texts) disks.insert(diskOf(e));
    disks.erase(0);
    for (int d : disks) l.discList.push_back({std::to_string(d), discName(s, d), {}});
    if (!l.discList.empty() &&
        !fitList(ts, static_cast<int>(l.discList.size()), g.w - 2 * kPad, g.flap - 2 * pt(1.5), 6,
                 4.0, kMaxListPt, "00", "", l.discs)) {
        throw CardError("the disc list does not fit on the card's back flap; nothing written");
    }
    char tape[64], day[32];
    std::snprintf(tape, sizeof tape, "最適テープ %s分%s%s", trimText(s.tapeLength).c_str(),
                  tapeLabel.empty() ? "" : "  ", tapeLabel.c_str());
    std::snprintf(day, sizeof day, "%04d/%02d/%02d", date.year, date.month, date.day);
    l.tape = tape;
    l.date = day;
    return l;
}

void line(cairo_t* cr, double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

// Cut marks at the four corners and fold marks at both folds, all outside
// the card; a hairline outline and dashed fold lines on the card itself.
void drawMarks(cairo_t* cr, const Geometry& g) {
    const double gap = pt(kMarkGapMm), len = pt(kMarkLengthMm);
    const double left = g.x, right = g.x + g.w, top = g.y, bottom = g.y + g.height();
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 0.5);
    for (double y : {top, bottom, top + g.front, top + g.front + g.spine}) {
        line(cr, left - gap - len, y, left - gap, y);
        line(cr, right + gap, y, right + gap + len, y);
    }
    for (double x : {left, right}) {
        line(cr, x, top - gap - len, x, top - gap);
        line(cr, x, bottom + gap, x, bottom + gap + len);
    }
    cairo_set_source_rgb(cr, 0.7, 0.7, 0.7);
    cairo_set_line_width(cr, 0.25);
    cairo_rectangle(cr, left, top, g.w, g.height());
    cairo_stroke(cr);
    const double dash[] = {2.0, 2.0};
    cairo_set_dash(cr, dash, 2, 0);
    for (double y : {top + g.front, top + g.front + g.spine}) line(cr, left, y, right, y);
    cairo_set_dash(cr, nullptr, 0, 0);
}

using Align = Typesetter::Align;

void drawList(cairo_t* cr, Typesetter& ts, const std::vector<Entry>& entries, const ListFit& fit,
              double x, double y, double width) {
    const double column = (width - (fit.columns - 1) * 2 * kFieldGapPt) / fit.columns;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int c = static_cast<int>(i) / fit.rows, r = static_cast<int>(i) % fit.rows;
        const double cx = x + c * (column + 2 * kFieldGapPt), cy = y + r * fit.lineHeight;
        const Entry& e = entries[i];
        cairo_set_source_rgb(cr, 0, 0, 0);
        ts.draw(e.number, fit.size, cx, cy, fit.numberWidth, Align::Right);
        const double titleX = cx + fit.numberWidth + kFieldGapPt;
        const double titleW = column - fit.numberWidth - kFieldGapPt -
                              (e.time.empty() ? 0 : fit.timeWidth + kFieldGapPt);
        ts.draw(e.title, fit.size, titleX, cy, titleW, Align::Left);
        if (!e.time.empty())
            ts.draw(e.time, fit.size, cx + column - fit.timeWidth, cy, fit.timeWidth, Align::Right);
    }
}

void drawCard(cairo_t* cr, Typesetter& ts, const Geometry& g, const Layout& l) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    drawMarks(cr, g);
    // Front panel: side A on the left, side B on the right.
    const double top = g.y + kPad, lists = g.y + listTop(ts), w = sideWidth(g);
    for (int k = 0; k < 2; ++k) {
        const Side& side = k == 0 ? l.a : l.b;
        const double x = g.x + kPad + k * (w + kPad);
        cairo_set_source_rgb(cr, 0, 0, 0);
        ts.draw(side.heading, kHeadingPt, x, top, w, Align::Left, true);
        const double headingH = ts.extent(side.heading, kHeadingPt, true).second;
        const double totalH = ts.extent(side.total, kHeadingPt - 2).second;
        ts.draw(side.total, kHeadingPt - 2, x, top + headingH - totalH, w, Align::Right);
        cairo_set_line_width(cr, 0.5);
        line(cr, x, lists - 1.5, x + w, lists - 1.5);
        drawList(cr, ts, side.entries, l.sides, x, lists, w);
    }
    // Spine: the tape length and the date.
    const double spineY = g.y + g.front;
    const double textH = ts.extent(l.tape, kSpinePt, true).second;
    const double ty = spineY + (g.spine - textH) / 2;
    cairo_set_source_rgb(cr, 0, 0, 0);
    ts.draw(l.tape, kSpinePt, g.x + kPad, ty, g.w / 2, Align::Left, true);
    ts.draw(l.date, kSpinePt, g.x + g.w / 2, ty, g.w / 2 - kPad, Align::Right);
    // Back flap: the discs with their titles.
    if (!l.discList.empty())
        drawList(cr, ts, l.discList, l.discs, g.x + kPad, spineY + g.spine + pt(1.5),
                 g.w - 2 * kPad);
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBig32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// cairo's PNG with a pHYs chunk after IHDR, so that it prints at its true
// size: pixels per metre on both axes.
std::string withResolution(const std::string& png, double dpi) {
    constexpr std::size_t kAfterIhdr =
        8 + 4 + 4 + 13 + 4;  // signature, IHDR's length, type, data, CRC
    if (png.size() < kAfterIhdr || png.compare(12, 4, "IHDR") != 0) return png;
    const auto perMetre = static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
    std::string chunk = "pHYs";
    putBig32(chunk, perMetre);
    putBig32(chunk, perMetre);
    chunk += '\x01';  // the unit is the metre
    std::string out = png.substr(0, kAfterIhdr);
    putBig32(out, 9);
    out += chunk;
    putBig32(out, crc32(chunk));
    return out + png.substr(kAfterIhdr);
}

struct SurfaceCloser {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextCloser {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

}  // namespace

CardFormat cardFormatOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos || path.find('/', dot) != std::string::npos
                          ? ""
                          : path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".pdf") return CardFormat::Pdf;
    if (ext == ".svg") return CardFormat::Svg;
    if (ext == ".png") return CardFormat::Png;
    throw CardError("--card " + path + ": the file name must end in .pdf, .svg or .png");
}

std::string renderCard(const ResultSource& source, Date date, CardFormat format, Paper paper,
                       const SongTitles& songs, const std::string& tapeLabel) {
    const Geometry g = geometryFor(paper);
    std::string bytes;
    std::unique_ptr<cairo_surface_t, SurfaceCloser> surface;
    const double scale = format == CardFormat::Png ? kPngDpi / 72.0 : 1.0;
    if (format == CardFormat::Pdf) {
        surface.reset(cairo_pdf_surface_create_for_stream(appendBytes, &bytes, g.pageW, g.pageH));
        cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE,
                                       "ZTP for win32 cassette card");
        cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "ztp-plan");
    } else if (format == CardFormat::Svg) {
        surface.reset(cairo_svg_surface_create_for_stream(appendBytes, &bytes, g.pageW, g.pageH));
        cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PT);
    } else {
        surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                                 static_cast<int>(std::lround(g.pageW * scale)),
                                                 static_cast<int>(std::lround(g.pageH * scale))));
    }
    std::unique_ptr<cairo_t, ContextCloser> cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    {
        Typesetter ts(cr.get());
        const Layout layout = layOut(ts, g, source, date, songs, tapeLabel);
        drawCard(cr.get(), ts, g, layout);
    }
    cairo_show_page(cr.get());
    cairo_status_t status = cairo_status(cr.get());
    if (status == CAIRO_STATUS_SUCCESS && format == CardFormat::Png)
        status = cairo_surface_write_to_png_stream(surface.get(), appendBytes, &bytes);
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    if (status != CAIRO_STATUS_SUCCESS)
        throw CardError(std::string("cannot draw the card: ") + cairo_status_to_string(status) +
                        "; nothing written");
    return format == CardFormat::Png ? withResolution(bytes, kPngDpi) : bytes;
}

}  // namespace ztp
