#include "pdf_reading.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <regex>
#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

// poppler-utils is one of the packages the set-up installs.
const std::string kPdfToText = "/usr/bin/pdftotext";
const std::string kPdfToPpm = "/usr/bin/pdftoppm";
const std::string kPdfFonts = "/usr/bin/pdffonts";

std::string Readable(std::string text) {
  // The entities of pdftotext's markup, and the ligatures a typesetter may have put in for
  // letter pairs ("Off" is set with an "ff" ligature).
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"},     {"&gt;", ">"},     {"&quot;", "\""},  {"&#39;", "'"},
      {"&apos;", "'"},   {"&amp;", "&"},    {"\uFB00", "ff"}, {"\uFB01", "fi"},
      {"\uFB02", "fl"}, {"\uFB03", "ffi"}, {"\uFB04", "ffl"}};
  for (const auto& [from, to] : entities) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      text.replace(at, std::strlen(from), to);
  }
  return text;
}

ProcessResult Run(const std::string& program, const std::vector<std::string>& args) {
  ProcessResult r = RunProcess(program, args, std::chrono::seconds(60));
  EXPECT_TRUE(r.started && r.exitStatus == 0) << program << ": " << Describe(r);
  return r;
}

}  // namespace

std::vector<std::string> PdfLine::Texts() const {
  std::vector<std::string> texts;
  for (const PdfWord& w : words) texts.push_back(w.text);
  return texts;
}

std::string PdfLine::Joined() const {
  std::string joined;
  for (const PdfWord& w : words) joined += (joined.empty() ? "" : " ") + w.text;
  return joined;
}

std::vector<PdfLine> PdfPage::Lines() const {
  std::vector<PdfWord> sorted = words;
  std::sort(sorted.begin(), sorted.end(), [](const PdfWord& a, const PdfWord& b) {
    return a.yMin != b.yMin ? a.yMin < b.yMin : a.xMin < b.xMin;
  });
  std::vector<PdfLine> lines;
  for (const PdfWord& w : sorted) {
    // Words of one line share their middle within a third of their height.
    const double middle = (w.yMin + w.yMax) / 2;
    if (lines.empty() || std::abs(middle - (lines.back().yMin + lines.back().yMax) / 2) >
                             (w.yMax - w.yMin) / 3) {
      lines.push_back(PdfLine{{}, w.yMin, w.yMax});
    }
    PdfLine& line = lines.back();
    line.words.push_back(w);
    line.yMin = std::min(line.yMin, w.yMin);
    line.yMax = std::max(line.yMax, w.yMax);
  }
  for (PdfLine& line : lines)
    std::sort(line.words.begin(), line.words.end(),
              [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
  return lines;
}

std::vector<PdfPage> ReadPdfPages(const std::string& pdf) {
  const ProcessResult r = Run(kPdfToText, {"-bbox", pdf, "-"});
  std::vector<PdfPage> pages;
  static const std::regex page(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
  static const std::regex word(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
  std::istringstream lines(r.out);
  std::string line;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, m, page)) {
      pages.push_back(PdfPage{std::stod(m[1]), std::stod(m[2]), {}});
    } else if (std::regex_search(line, m, word) && !pages.empty()) {
      pages.back().words.push_back(
          PdfWord{Readable(m[5]), std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
    }
  }
  return pages;
}

std::string PdfFonts(const std::string& pdf) { return Run(kPdfFonts, {pdf}).out; }

GrayImage RenderPdfPage(const std::string& pdf, int page, int dpi) {
  TempDir dir;
  const std::string prefix = dir.File("page");
  Run(kPdfToPpm, {"-gray", "-r", std::to_string(dpi), "-f", std::to_string(page), "-l",
                  std::to_string(page), "-singlefile", pdf, prefix});
  const std::vector<std::uint8_t> bytes = ReadBytes(prefix + ".pgm");
  // "P5", width, height, maximum, each after blanks, then one blank and the pixels.
  GrayImage image;
  std::size_t at = 0;
  const auto number = [&]() {
    while (at < bytes.size() && std::isspace(bytes[at])) ++at;
    int value = 0;
    while (at < bytes.size() && std::isdigit(bytes[at])) value = value * 10 + (bytes[at++] - '0');
    return value;
  };
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '5') {
    ADD_FAILURE() << "pdftoppm wrote no grey image";
    return image;
  }
  at = 2;
  image.width = number();
  image.height = number();
  const int maximum = number();
  ++at;
  const std::size_t size = static_cast<std::size_t>(image.width) * image.height;
  if (maximum != 255 || bytes.size() < at + size) {
    ADD_FAILURE() << "unexpected grey image from pdftoppm";
    return GrayImage{};
  }
  image.pixels.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + size));
  return image;
}

GrayImage FromQImage(const QImage& source) {
  const QImage grey = source.convertToFormat(QImage::Format_Grayscale8);
  GrayImage image;
  image.width = grey.width();
  image.height = grey.height();
  for (int y = 0; y < grey.height(); ++y) {
    const uchar* row = grey.constScanLine(y);
    image.pixels.insert(image.pixels.end(), row, row + grey.width());
  }
  return image;
}

InkBox FindInk(const GrayImage& image) {
  InkBox box;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.At(x, y) >= 128) continue;
      if (box.Empty()) {
        box = InkBox{x, y, x, y};
      } else {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
    }
  }
  return box;
}

std::vector<int> HorizontalLines(const GrayImage& image, int left, int right, double fraction) {
  std::vector<int> rows;
  if (left < 0 || right < left || right >= image.width) return rows;
  for (int y = 0; y < image.height; ++y) {
    int dark = 0;
    for (int x = left; x <= right; ++x) dark += image.At(x, y) < 128 ? 1 : 0;
    if (dark >= fraction * (right - left + 1)) rows.push_back(y);
  }
  return rows;
}

}  // namespace rondel::test
