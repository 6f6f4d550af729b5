#include "reports/report_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "reports/rtf_writer.h"
#include "support/temp_folder.h"

namespace korvalo::reports {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::string kPreview = "Lot Closure Report - Lot # {A}\r\n   1   N45°0'0\"E   1,234.500\r\n\r\n";

TEST(ExportTest, TheLastThreeLettersChooseTheFormat) {
  const struct {
    const char* name;
    ExportFormat format;
  } cases[] = {
      {"/r/a.TXT", ExportFormat::Text}, {"/r/a.txt", ExportFormat::Text}, {"/r/a.Txt", ExportFormat::Text},
      {"/r/atxt", ExportFormat::Text},  {"/r/a.rtf", ExportFormat::Rtf},  {"/r/a.doc", ExportFormat::Rtf},
      {"/r/report", ExportFormat::Rtf}, {"/r/a.csv", ExportFormat::Csv},  {"/r/a.CSV", ExportFormat::Csv},
      {"xt", ExportFormat::Rtf},        {"/r/é.txt", ExportFormat::Text},
  };
  for (const auto& c : cases) EXPECT_EQ(ExportFormatFor(c.name), c.format) << c.name;
  EXPECT_EQ(SaveDialogFilter(Edition::A2004),
            "TEXT (*.txt)|*.txt|Rich Text File(*.rtf)|*.rtf|Excel File(*.csv)|*.csv|");
  EXPECT_EQ(SaveDialogFilter(Edition::R14),
            "Rich Text File(*.rtf)|*.rtf|TEXT (*.txt)|*.txt|Excel File(*.csv)|*.csv|");
}

TEST(ExportTest, WritesEachFormatUnderTheExactName) {
  TempFolder dir;
  const std::string csv = dir.File("tempcsv.rpt");
  std::ofstream(csv, std::ios::binary) << "\"East\",\"1\", N90°0'0\"E,\"1,234.500\"\r\n";
  const ExportSource source{kPreview, true, csv};
  const struct {
    const char* name;
    std::string expected;
  } cases[] = {
      {"plain.Txt", kPreview},
      {"copy.csv", ReadFile(csv)},
      {"rich.doc", RtfDocument(kPreview)},
      {"no-extension", RtfDocument(kPreview)},
  };
  for (const auto& c : cases) {
    const ExportResult r = ExportReport(dir.File(c.name), source);
    EXPECT_EQ(r.status, ExportResult::Status::Saved) << c.name << " " << r.message;
    EXPECT_EQ(ReadFile(dir.File(c.name)), c.expected) << c.name;
  }
  // An existing file is replaced whole.
  std::ofstream(dir.File("old.txt"), std::ios::binary) << std::string(500, 'x');
  ASSERT_EQ(ExportReport(dir.File("old.txt"), source).status, ExportResult::Status::Saved);
  EXPECT_EQ(ReadFile(dir.File("old.txt")), kPreview);
  // Nothing is left beside the files written.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 6);
}

TEST(ExportTest, RefusalsAndCancelWriteNothing) {
  TempFolder dir;
  const std::string csv = dir.File("tempcsv.rpt");
  std::ofstream(csv, std::ios::binary) << "csv";
  std::filesystem::create_directory(dir.File("folder.txt"));
  const struct {
    std::optional<std::string> name;
    ExportSource source;
    ExportResult::Status status;
    const char* message;
  } cases[] = {
      {std::nullopt, {kPreview, true, csv}, ExportResult::Status::Cancelled, ""},
      {"", {kPreview, true, csv}, ExportResult::Status::Refused, kInvalidFileNameMessage},
      // a summary, or a full report not (fully) built in this opening
      {dir.File("a.csv"), {kPreview, false, csv}, ExportResult::Status::Refused, kOnlyFullReportCsvMessage},
      {dir.File("b.csv"), {kPreview, true, dir.File("gone.rpt")}, ExportResult::Status::Refused,
       kInvalidFileNameMessage},
      {dir.File("no-folder/c.txt"), {kPreview, true, csv}, ExportResult::Status::Refused,
       kInvalidFileNameMessage},
      {dir.File("folder.txt"), {kPreview, true, csv}, ExportResult::Status::Refused, kInvalidFileNameMessage},
  };
  for (const auto& c : cases) {
    const ExportResult r = ExportReport(c.name, c.source);
    EXPECT_EQ(r.status, c.status) << c.name.value_or("(cancel)");
    EXPECT_EQ(r.message, c.message) << c.name.value_or("(cancel)");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.csv")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.csv")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.txt")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(RtfTest, OneMonospaceFontAParagraphPerLineAndEscapes) {
  EXPECT_EQ(RtfDocument("a{b}\\c 90°\r\n\r\nΩ\tz\r\n"),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
            "\\pard\\plain\\f0\\fs20 a\\{b\\}\\\\c 90\\'b0\\par\r\n"
            "\\par\r\n"
            "\\u937?\\tab z\\par\r\n"
            "}\r\n");
  // Windows-1252 characters above 127 keep their code; others go as \u.
  EXPECT_NE(RtfDocument("€ ø 😀").find("\\'80 \\'f8 \\u-10179?\\u-8704?"), std::string::npos);
  // A last line without a line end is a paragraph too.
  EXPECT_NE(RtfDocument("last").find("last\\par\r\n}"), std::string::npos);
}

}  // namespace
}  // namespace korvalo::reports
