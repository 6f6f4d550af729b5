#include "platform/print/printer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

namespace korvalo::print {
namespace {

const std::vector<std::string>* g_testPrinters = nullptr;
double g_testPaperWidth = 0.0;
double g_testPaperHeight = 0.0;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The lines of a text: CR LF, a lone LF or a lone CR each end one.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The pieces a line is broken into so that each fits its room: the first
// piece `firstRoom` wide, the others `room` wide (the same units as
// `width`). A line breaks after the last blank that fits, the blanks at the
// break dropped; a word wider than the room breaks after its last character
// that fits; a first word with no room left on its line goes on to the next
// line whole and is broken there only when it must be.
// Every piece after the first holds at least one character, so
// the breaking ends however narrow the room; the first may be empty when not
// even one character fits in its room.
std::vector<std::string_view> BreakLine(std::string_view line, double firstRoom, double room,
                                        const std::function<double(std::string_view)>& width) {
  std::vector<std::string_view> pieces;
  bool first = true;
  while (true) {
    const double fits = first ? firstRoom : room;
    if (width(line) <= fits) {
      pieces.push_back(line);
      return pieces;
    }
    // The ends of the code points, in bytes.
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i <= line.size(); ++i) {
      if (i == line.size() || (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ends.push_back(i);
    }
    // The longest prefix that fits (width grows with the prefix).
    std::size_t lo = 0;
    std::size_t hi = ends.size();
    while (lo < hi) {
      const std::size_t mid = (lo + hi + 1) / 2;
      if (width(line.substr(0, ends[mid - 1])) <= fits) lo = mid;
      else hi = mid - 1;
    }
    std::size_t cut = lo == 0 ? 0 : ends[lo - 1];
    if (cut == 0 && !first) cut = ends.front();
    std::size_t next = cut;
    // Back to the last blank inside the piece, when a word stands before it.
    if (cut < line.size() && line[cut] != ' ') {
      const std::size_t blank = line.substr(0, cut).rfind(' ');
      if (blank != std::string_view::npos && line.substr(0, blank).find_first_not_of(' ') != std::string_view::npos) {
        cut = blank;
        next = blank;
      } else if (first && firstRoom < room) {
        // A word is broken only where a whole line cannot hold it.
        cut = 0;
        next = 0;
      }
    }
    while (cut > 0 && line[cut - 1] == ' ') --cut;
    while (next < line.size() && line[next] == ' ') ++next;
    pieces.push_back(line.substr(0, cut));
    line = line.substr(next);
    first = false;
    if (line.empty()) return pieces;
  }
}

void Configure(QPrinter& printer, const Destination& d) {
  if (d.kind == Destination::Kind::PdfFile) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Q(d.pdfPath));
  } else {
    printer.setPrinterName(Q(d.printerName));
  }
  if (d.resolution > 0) printer.setResolution(d.resolution);
  printer.setFullPage(false);
  const bool testPaper = d.kind == Destination::Kind::PdfFile && g_testPaperWidth > 0 && g_testPaperHeight > 0;
  const QPageSize paper = testPaper ? QPageSize(QSizeF(g_testPaperWidth, g_testPaperHeight), QPageSize::Inch)
                                    : QPageSize(QPageSize::Letter);
  printer.setPageLayout(
      QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
}

// The face of the pages: Arial's widths, which the layouts were made for.
constexpr const char* kPageFace = "Liberation Sans";

QFont BaseFont(const char* family, QFont::StyleHint hint) {
  QFont font{QString::fromLatin1(family)};
  font.setStyleHint(hint);
  // Unhinted glyphs measure the same at every resolution.
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

}  // namespace

std::string PdfFilePath(const std::string& path) {
  const std::filesystem::path file(path);
  std::error_code error;
  if (path.empty() || !file.has_filename() || std::filesystem::is_directory(file, error)) return path;
  // Any name not ending in ".pdf" gets it, a point in the name or not:
  // "Lot 5.3 closure" is not a file of the kind "3 closure".
  constexpr std::string_view kEnding = ".pdf";
  if (path.size() >= kEnding.size()) {
    std::string last = path.substr(path.size() - kEnding.size());
    std::transform(last.begin(), last.end(), last.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (last == kEnding) return path;
  }
  return path + ".pdf";
}

Destination Destination::Pdf(std::string path, int resolution) {
  Destination d;
  d.kind = Kind::PdfFile;
  d.pdfPath = PdfFilePath(path);
  d.resolution = resolution;
  return d;
}

Destination Destination::Named(std::string printer) {
  Destination d;
  d.kind = Kind::Printer;
  d.printerName = std::move(printer);
  return d;
}

std::vector<std::string> Printers() {
  std::vector<std::string> names;
  if (g_testPrinters != nullptr) {
    return *g_testPrinters;
  }
  for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(name.toStdString());
  names.emplace_back(kPdfFileName);
  return names;
}

void SetPrinterListForTesting(const std::vector<std::string>* printers) { g_testPrinters = printers; }

void SetPdfPaperForTesting(double widthInches, double heightInches) {
  g_testPaperWidth = widthInches;
  g_testPaperHeight = heightInches;
}

struct Printer::State {
  QPrinter printer{QPrinter::HighResolution};
  QPainter painter;
  QFont font = BaseFont(kPageFace, QFont::SansSerif);
  double x = 0.0;  // inches
  double y = 0.0;
  double dpiX = 1.0;
  double dpiY = 1.0;
  bool ok = false;
  bool ended = false;

  QFontMetricsF Metrics() const { return QFontMetricsF(font, &printer); }
  double LineHeight() const { return Metrics().height() / dpiY; }
  double Width(std::string_view text) const { return Metrics().horizontalAdvance(Q(text)) / dpiX; }

  void DrawLine(std::string_view text) {
    if (!ok || text.empty()) return;
    painter.setFont(font);
    painter.drawText(QPointF(x * dpiX, y * dpiY + Metrics().ascent()), Q(text));
  }
};

Printer::Printer(const Destination& destination) : s_(std::make_unique<State>()) {
  Configure(s_->printer, destination);
  s_->font.setPointSizeF(10.0);
  s_->ok = s_->painter.begin(&s_->printer);
  s_->dpiX = s_->printer.logicalDpiX();
  s_->dpiY = s_->printer.logicalDpiY();
}

Printer::~Printer() { EndDoc(); }

bool Printer::Ok() const { return s_->ok; }

double Printer::CurrentX() const { return s_->x; }
double Printer::CurrentY() const { return s_->y; }
void Printer::SetCurrentX(double inches) { s_->x = inches; }
void Printer::SetCurrentY(double inches) { s_->y = inches; }

double Printer::ScaleWidth() const {
  return s_->printer.pageLayout().paintRect(QPageLayout::Inch).width();
}
double Printer::ScaleHeight() const {
  return s_->printer.pageLayout().paintRect(QPageLayout::Inch).height();
}

double Printer::FontSize() const { return s_->font.pointSizeF(); }
void Printer::SetFontSize(double points) {
  if (points > 0) s_->font.setPointSizeF(points);
}
bool Printer::FontBold() const { return s_->font.bold(); }
void Printer::SetFontBold(bool bold) { s_->font.setBold(bold); }
bool Printer::FontUnderline() const { return s_->font.underline(); }
void Printer::SetFontUnderline(bool underline) { s_->font.setUnderline(underline); }

double Printer::TextWidth(std::string_view text) const {
  double widest = 0.0;
  for (std::string_view line : SplitLines(text)) widest = std::max(widest, s_->Width(line));
  return widest;
}

double Printer::TextHeight(std::string_view text) const {
  return s_->LineHeight() * static_cast<double>(SplitLines(text).size());
}

void Printer::Print(std::string_view text, bool endLine) {
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    s_->DrawLine(lines[i]);
    if (i + 1 < lines.size()) {
      s_->x = 0.0;
      s_->y += s_->LineHeight();
    } else if (endLine) {
      s_->x = 0.0;
      s_->y += s_->LineHeight();
    } else {
      s_->x += s_->Width(lines[i]);
    }
  }
}

void Printer::PrintWrapped(std::string_view text, double indent, bool endLine) {
  const double right = ScaleWidth();
  const auto width = [this](std::string_view piece) { return s_->Width(piece); };
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string_view> pieces =
        BreakLine(lines[i], right - s_->x, std::max(0.0, right - indent), width);
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      if (k > 0) {
        s_->x = indent;
        s_->y += s_->LineHeight();
      }
      s_->DrawLine(pieces[k]);
    }
    if (i + 1 < lines.size() || endLine) {
      s_->x = 0.0;
      s_->y += s_->LineHeight();
    } else {
      s_->x += s_->Width(pieces.back());
    }
  }
}

void Printer::PaintPicture(const Picture& picture, double x, double y, double width, double height) {
  if (!s_->ok || picture.Empty() ||
      picture.pixels.size() < static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return;
  }
  const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                     picture.width * 4, QImage::Format_ARGB32);
  s_->painter.drawImage(QRectF(x * s_->dpiX, y * s_->dpiY, width * s_->dpiX, height * s_->dpiY), image);
}

void Printer::NewPage() {
  if (s_->ok && !s_->ended) s_->ok = s_->printer.newPage();
  s_->x = 0.0;
  s_->y = 0.0;
}

void Printer::EndDoc() {
  if (s_->ended) return;
  s_->ended = true;
  if (s_->painter.isActive()) s_->ok = s_->painter.end() && s_->ok;
}

bool PrintPlainText(const Destination& destination, std::string_view text, double points) {
  QPrinter printer(QPrinter::HighResolution);
  Configure(printer, destination);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  QFont font = BaseFont("monospace", QFont::TypeWriter);
  font.setPointSizeF(points);
  painter.setFont(font);
  const QFontMetricsF metrics(font, &printer);
  const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
  const double pageHeight = paper.height();
  const double pageWidth = paper.width();
  const auto width = [&metrics](std::string_view piece) { return metrics.horizontalAdvance(Q(piece)); };
  double y = 0.0;
  std::vector<std::string_view> lines = SplitLines(text);
  // A text ending in a line break has no line after it.
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  bool ok = true;
  for (std::string_view line : lines) {
    // A line wider than the paper goes on over the next lines.
    for (std::string_view piece : BreakLine(line, pageWidth, pageWidth, width)) {
      if (y > 0.0 && y + metrics.height() > pageHeight) {
        ok = printer.newPage() && ok;
        y = 0.0;
      }
      if (!piece.empty()) painter.drawText(QPointF(0.0, y + metrics.ascent()), Q(piece));
      y += metrics.height();
    }
  }
  return painter.end() && ok;
}

}  // namespace korvalo::print
