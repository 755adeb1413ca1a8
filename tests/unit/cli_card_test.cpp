// ztp-plan --card: the cassette card read back as a reader would, through
// poppler's pdftotext and pdfinfo and the pixels of a PNG render.
#include <cairo.h>

#include <cmath>
#include <regex>
#include <vector>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

class CardPrint : public CliRun {
protected:
    // The track lines and totals of the text card, as the card shows them.
    std::vector<std::string> expectedLines(const std::string& resultFile,
                                           const std::vector<std::string>& titles) {
        const std::string text = shell("iconv -f CP932 -t UTF-8 '" + resultFile + "'").out;
        std::vector<std::string> lines;
        std::smatch m;
        const std::regex track(R"(\t +(\d+) - +(\d+:\d\d) - +(\d+): )"),
            total(R"(\t +(\d+) - +(\d+:\d\d)\r)");
        for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, track);
             it = m[0].second)
            lines.push_back(m[3].str() + "-" + m[1].str() + R"(\s+)" +
                            titles[std::stoi(m[3].str()) - 1] + R"(\s+)" + m[2].str());
        for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, total);
             it = m[0].second)
            lines.push_back(m[1].str() + "曲" + R"(\s+)" + m[2].str());
        if (std::regex_search(text, m, std::regex(R"(◆最適テープ : ([0-9.]+)分)")))
            lines.push_back("最適テープ " + m[1].str() + "分");
        return lines;
    }
    static int matches(const std::string& text, const std::string& pattern) {
        const std::regex re("(^|\\s)" + pattern + "(\\s|$)");
        return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re),
                                              std::sregex_iterator()));
    }
    std::string manyTracks(int perDisc) {
        std::string text;
        for (const char* title : {"Alpha", "Beta"}) {
            text += std::string("disc ") + title + "\n";
            for (int t = 0; t < perDisc; ++t)
                text += std::to_string(1 + t % 5) + ":" + std::to_string(10 + t % 50) + " ";
            text += "\n";
        }
        return text;
    }
};

const char* const kShort =
    "disc Morning\n4:05 3:58 5:30\ndisc 夕方の歌\n6:12 4:44\ndisc\n2:00:40\n";

}  // namespace

TEST_F(CardPrint, PdfCardHoldsEveryTrackTotalTapeAndDisc) {
    write("short.disc", kShort);
    Outcome r = run("--date 1997/05/03 --out short.ztp --card card.pdf short.disc");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = shell("pdftotext -layout card.pdf -").out;
    const std::vector<std::string> lines =
        expectedLines((dir / "short.ztp").string(), {"Morning", "夕方の歌", "Disc 3"});
    ASSERT_EQ(lines.size(), 9u);
    for (const std::string& line : lines) EXPECT_EQ(matches(text, line), 1) << line << "\n" << text;
    for (const char* piece :
         {"A面", "B面", "1997/05/03", R"(1\s+Morning)", R"(2\s+夕方の歌)", R"(3\s+Disc 3)"})
        EXPECT_GE(matches(text, piece), 1) << piece << "\n" << text;
    EXPECT_NE(shell("pdfinfo card.pdf").out.find("Page size:       595.276 x 841.89 pts (A4)"),
              std::string::npos);

    ASSERT_EQ(run("--paper letter --card letter.pdf short.disc").status, 0);
    EXPECT_NE(shell("pdfinfo letter.pdf").out.find("612 x 792 pts (letter)"), std::string::npos);
    ASSERT_EQ(run("--card card.SVG short.disc").status, 0);
    EXPECT_NE(read(dir / "card.SVG").find("width=\"595.275591pt\" height=\"841.889764pt\""),
              std::string::npos);
}

TEST_F(CardPrint, LongListsShrinkThenFlowIntoColumnsOrNoCardIsWritten) {
    write("sixty.disc", manyTracks(30));
    Outcome r = run("--out sixty.ztp --card sixty.pdf sixty.disc");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = shell("pdftotext -layout sixty.pdf -").out;
    const std::vector<std::string> lines =
        expectedLines((dir / "sixty.ztp").string(), {"Alpha", "Beta"});
    ASSERT_EQ(lines.size(), 63u);
    for (const std::string& line : lines) EXPECT_GE(matches(text, line), 1) << line;
    // Two columns a side: four tracks on one printed line.
    EXPECT_TRUE(std::regex_search(text, std::regex(R"((\d+:\d\d\s+.*){4})"))) << text;

    write("many.disc", manyTracks(60));
    struct Case {
        std::string args, message;
    } cases[] = {
        {"--card many.pdf many.disc",
         "the side lists do not fit on the card: 60 tracks on one side, at most"},
        {"--card card.jpg sixty.disc",
         "--card card.jpg: the file name must end in .pdf, .svg or .png"},
        {"--paper a5 --card card.pdf sixty.disc", "--paper must be a4 or letter"},
    };
    for (const Case& c : cases) {
        Outcome bad = run("--out out.ztp " + c.args);
        EXPECT_EQ(bad.status, 2) << c.args;
        EXPECT_NE(bad.err.find(c.message), std::string::npos) << bad.err;
        EXPECT_FALSE(fs::exists(dir / "out.ztp") || fs::exists(dir / "many.pdf") ||
                     fs::exists(dir / "card.pdf"));
    }
    fs::create_directory(dir / "taken.png");
    Outcome taken = run("--card taken.png sixty.disc");
    EXPECT_EQ(taken.status, 2);
    EXPECT_NE(taken.err.find("taken.png is a folder, not a file that the card can replace"),
              std::string::npos)
        << taken.err;
    EXPECT_TRUE(taken.out.empty());
}

TEST_F(CardPrint, PngHasCutAndFoldMarksInPlaceAndNoInkOutsideTheCard) {
    write("short.disc", kShort);
    ASSERT_EQ(run("--card card.png short.disc").status, 0);
    cairo_surface_t* png = cairo_image_surface_create_from_png((dir / "card.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    const int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    EXPECT_EQ(w, 2480);  // A4 at 300 dpi
    EXPECT_EQ(h, 3508);
    // The resolution is recorded (pHYs after IHDR: 11811 pixels a metre), so
    // the card prints 101.6 mm wide.
    const std::string bytes = read(dir / "card.png");
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(33, 21),
              std::string("\0\0\0\x09pHYs\0\0\x2e\x23\0\0\x2e\x23\x01", 17) + bytes.substr(50, 4));
    EXPECT_NE(
        shell("identify -verbose card.png").out.find("png:pHYs: x_res=11811, y_res=11811, units=1"),
        std::string::npos);
    auto px = [](double mm) { return static_cast<int>(std::lround(mm * 300 / 25.4)); };
    auto ink = [&](int x, int y) {
        const unsigned char* p = data + y * stride + x * 4;
        return p[0] < 200 || p[1] < 200 || p[2] < 200;
    };
    const double leftMm = (210 - 101.6) / 2, topMm = 30, rightMm = leftMm + 101.6,
                 bottomMm = topMm + 92.1;
    const int left = px(leftMm), right = px(rightMm), top = px(topMm), bottom = px(bottomMm);
    const std::vector<int> rows = {top, px(topMm + 63.5), px(topMm + 76.2),
                                   bottom};  // cut, folds, cut
    // Marks run from 2 mm to 7 mm away from the card's edge.
    for (int y : rows) {
        EXPECT_TRUE(ink(px(leftMm - 4.5), y) && ink(px(rightMm + 4.5), y)) << "mark at row " << y;
        EXPECT_FALSE(ink(px(leftMm - 4.5), y + px(1.0)) || ink(px(leftMm - 4.5), y - px(1.0))) << y;
    }
    for (int x : {left, right})
        EXPECT_TRUE(ink(x, px(topMm - 4.5)) && ink(x, px(bottomMm + 4.5))) << x;
    auto onMark = [&](int x, int y) {
        const bool besideCard = (x >= px(leftMm - 7) - 2 && x <= px(leftMm - 2) + 2) ||
                                (x >= px(rightMm + 2) - 2 && x <= px(rightMm + 7) + 2);
        const bool aboveBelow = (y >= px(topMm - 7) - 2 && y <= px(topMm - 2) + 2) ||
                                (y >= px(bottomMm + 2) - 2 && y <= px(bottomMm + 7) + 2);
        for (int row : rows)
            if (besideCard && std::abs(y - row) <= 2) return true;
        return aboveBelow && (std::abs(x - left) <= 2 || std::abs(x - right) <= 2);
    };
    int stray = 0, inside = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!ink(x, y)) continue;
            if (x >= left - 1 && x <= right + 1 && y >= top - 1 && y <= bottom + 1) ++inside;
            else if (!onMark(x, y)) ++stray;
        }
    EXPECT_EQ(stray, 0);
    EXPECT_GT(inside, 10000) << "the lists are drawn";
    cairo_surface_destroy(png);
}

// The side lists' size only falls as a side grows (one column down to 7 pt,
// then two columns); Hangul and Chinese titles are drawn by the CJK fonts;
// without a font that draws Japanese there is no card and no text card.
TEST_F(CardPrint, ListSizesFallWithLengthAndEveryScriptHasAFont) {
    double previous = 1e9;
    int columnsBefore = 1;
    for (int perSide = 8; perSide <= 38; perSide += 3) {
        std::string discs;
        for (int d = 0; d < 4; ++d) {
            discs += "disc D" + std::to_string(d) + "\n";
            for (int t = 0; t < perSide / 2; ++t)
                discs += "3:" + std::to_string(10 + (t * 7 + d) % 50) + " ";
            discs += "\n";
        }
        write("n.disc", discs);
        ASSERT_EQ(run("--card n.pdf n.disc").status, 0) << perSide;
        const std::string boxes = shell("pdftotext -bbox n.pdf -").out;
        std::smatch m;
        ASSERT_TRUE(std::regex_search(
            boxes, m,
            std::regex(R"re(yMin="([0-9.]+)" xMax="[0-9.]+" yMax="([0-9.]+)">\d+:\d\d<)re")));
        const double height = std::stod(m[2].str()) - std::stod(m[1].str());
        EXPECT_LE(height, previous + 1e-6) << perSide << " tracks a side";
        previous = height;
        const std::string text = shell("pdftotext -layout n.pdf -").out;
        const int columns = std::regex_search(text, std::regex(R"((\d+:\d\d\s+.*){4})")) ? 2 : 1;
        EXPECT_GE(columns, columnsBefore) << perSide;
        columnsBefore = columns;
    }
    EXPECT_EQ(columnsBefore, 2);

    write("hangul.disc", "disc 한국어 노래\ntrack 4:00 서울의 밤\ndisc 中文歌曲\n5:00\n");
    ASSERT_EQ(run("--card h.pdf hangul.disc").status, 0);
    const std::string text = shell("pdftotext -layout h.pdf -").out;
    for (const char* piece : {"서울의 밤", "한국어 노래", "中文歌曲"})
        EXPECT_GE(matches(text, piece), 1) << piece << "\n" << text;

    write("empty.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    const Outcome none = run("--card none.png hangul.disc",
                             "FONTCONFIG_FILE=" + (dir / "empty.conf").string() + " ");
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.out.empty());
    EXPECT_EQ(none.err,
              "ztp-plan: no usable font for the card: none found draws Japanese text (install "
              "fonts-noto-cjk or fonts-ipafont); nothing written\n");
    EXPECT_FALSE(fs::exists(dir / "none.png"));
}
