#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The printer of the reports: a page described in inches from the top-left
// corner of the printable area, with a print position (CurrentX, CurrentY)
// that text moves along, as the program's page layouts expect. Text is
// measured with the printer's own font metrics, without hinting, so a page
// comes out the same at any resolution. The face is Liberation Sans, which
// has Arial's widths: the report layouts place their texts at fixed inches
// for those widths, and the system's sans-serif face (often a far wider one)
// would run one text into the next. The size, bold and underline are set per
// item.
namespace korvalo::print {

// Where a document goes: a printer by its CUPS name, or a PDF file (Letter,
// 0.25 inch margins). A PDF file named without the ending ".pdf" in any case
// ("smith_full", "smith.summary") gets it; an existing folder keeps its
// name (and cannot be written).
struct Destination {
  enum class Kind { Printer, PdfFile };
  Kind kind = Kind::PdfFile;
  std::string printerName;  // Kind::Printer
  std::string pdfPath;      // Kind::PdfFile
  // Device resolution in dots per inch; 0 takes the device's own.
  int resolution = 0;

  static Destination Pdf(std::string path, int resolution = 0);
  static Destination Named(std::string printer);
};

// The file a PDF named `path` is written to: `path` with ".pdf" added when
// it does not end in ".pdf" (any letter case) and is not an existing folder.
std::string PdfFilePath(const std::string& path);

// The name under which Printers() lists the PDF file.
inline constexpr const char* kPdfFileName = "PDF file";

// The destinations a print dialog offers: the CUPS destinations, then
// kPdfFileName. Empty only when the list is replaced for a test.
std::vector<std::string> Printers();

// Tests replace the list of CUPS destinations (nothing: the real list).
void SetPrinterListForTesting(const std::vector<std::string>* printers);

// Tests give PDF files another paper, in inches, as a printer's own paper
// may be (still 0.25 inch margins); 0, 0 goes back to Letter.
void SetPdfPaperForTesting(double widthInches, double heightInches);

// A picture to print: 32-bit pixels 0xAARRGGBB, row after row.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  bool Empty() const { return width <= 0 || height <= 0; }
};

// One print document. It starts with the first page and ends with EndDoc
// (or when the object goes). Failures are kept, not thrown: Ok() tells.
class Printer {
 public:
  explicit Printer(const Destination& destination);
  ~Printer();
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  // False when the device could not be opened, a page could not be begun or
  // the document could not be finished.
  bool Ok() const;

  // The print position in inches.
  double CurrentX() const;
  double CurrentY() const;
  void SetCurrentX(double inches);
  void SetCurrentY(double inches);

  // The printable area in inches.
  double ScaleWidth() const;
  double ScaleHeight() const;

  double FontSize() const;
  void SetFontSize(double points);
  bool FontBold() const;
  void SetFontBold(bool bold);
  bool FontUnderline() const;
  void SetFontUnderline(bool underline);

  // Width and height of a text in the current font, in inches; the height
  // is that of one line times the lines of the text.
  double TextWidth(std::string_view text) const;
  double TextHeight(std::string_view text = "") const;

  // Prints the text at the print position. A CR LF (or a lone LF) inside
  // starts a new line at the left edge. With `endLine` the position then
  // moves to the left edge of the next line; without it, it stays just after
  // the text.
  void Print(std::string_view text, bool endLine = true);
  // Prints like Print, but no line passes the printable area's right edge:
  // a line too long breaks after its last blank that fits (inside a word
  // too long, after its last character that fits) and goes on at `indent`
  // inches on the next line.
  void PrintWrapped(std::string_view text, double indent, bool endLine = true);

  // The picture stretched into the rectangle (inches).
  void PaintPicture(const Picture& picture, double x, double y, double width, double height);

  // Ends the page and begins the next; the print position goes to (0, 0).
  void NewPage();
  // Ends the document; later calls do nothing.
  void EndDoc();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Prints plain text in pages: a monospace font of `points`, lines as the
// text has them (CR LF), a line wider than the paper broken over the next
// lines as PrintWrapped breaks it, a new page when a line would not fit.
bool PrintPlainText(const Destination& destination, std::string_view text, double points = 9.75);

}  // namespace korvalo::print
