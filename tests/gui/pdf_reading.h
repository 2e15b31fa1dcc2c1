// Reading a printout back the way a person would look at it: the words of each PDF page with
// their boxes (poppler's pdftotext), grouped into lines, the page as a grey image (pdftoppm),
// and where the ink lies on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QImage;

namespace rondel::test {

struct PdfWord {
  std::string text;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // points from the page's top left
};

struct PdfLine {
  std::vector<PdfWord> words;  // left to right
  double yMin = 0, yMax = 0;
  std::vector<std::string> Texts() const;
  std::string Joined() const;  // the words with one blank between
};

struct PdfPage {
  double width = 0, height = 0;  // points
  std::vector<PdfWord> words;
  // The words in lines, top to bottom.
  std::vector<PdfLine> Lines() const;
};

// Every page of `pdf`; an empty list (and a test failure) when pdftotext cannot read it.
std::vector<PdfPage> ReadPdfPages(const std::string& pdf);
// What `pdffonts` lists for the file.
std::string PdfFonts(const std::string& pdf);

struct GrayImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // rows of `width` bytes, 0 black, 255 white
  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Page `page` (1-based) of `pdf` rendered at `dpi`.
GrayImage RenderPdfPage(const std::string& pdf, int page, int dpi);
GrayImage FromQImage(const QImage& image);

struct InkBox {
  int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when the page is blank
  bool Empty() const { return left < 0; }
};
// The smallest box holding every pixel darker than mid-grey.
InkBox FindInk(const GrayImage& image);
// The rows, top to bottom, where at least `fraction` of the pixels between `left` and `right`
// are dark: the horizontal lines of a table.
std::vector<int> HorizontalLines(const GrayImage& image, int left, int right, double fraction);

}  // namespace rondel::test
