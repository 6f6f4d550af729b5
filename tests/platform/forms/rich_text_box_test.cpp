#include "platform/forms/rich_text_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/utf8.h"

#include "platform/forms/testing.h"
#include "support/temp_folder.h"

namespace korvalo::forms {
namespace {

// Positions count code points of the text as kept, a CR LF being two, with
// or without a widget behind the box.
TEST(RichTextBoxTest, SelectionCountsCodePointsOfTheKeptText) {
  for (const bool shown : {false, true}) {
    SCOPED_TRACE(shown ? "shown" : "not shown");
    Form form("frmTest");
    RichTextBox box(form, "rtfReport");
    box.Move(0, 0, 4000, 2000);
    if (shown) form.Show();
    int changes = 0;
    box.OnChange = [&](int) { ++changes; };
    box.SetText("N45\u00B0E\r\nline two\r\n");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 0);
    box.SetSelStart(7);  // after the CR LF
    box.SetSelLength(4);
    EXPECT_EQ(box.SelText(), "line");
    box.SetSelStart(2);
    box.SetSelLength(3);
    EXPECT_EQ(box.SelText(), "5\u00B0E");
    box.SetSelLength(1000);  // cut at the end
    EXPECT_EQ(box.SelLength(), 17 - 2);
    box.SetSelStart(1000);
    EXPECT_EQ(box.SelStart(), 17);
    EXPECT_THROW(box.SetSelStart(-1), RuntimeError);
    box.SetText("N45\u00B0E\r\nline two\r\n");
    EXPECT_EQ(changes, 1) << "the same text is no change";
    EXPECT_EQ(box.Text(), "N45\u00B0E\r\nline two\r\n");
  }
}

TEST(RichTextBoxTest, LoadFileReadsTheFileOrLeavesTheTextAsItWas) {
  TempFolder folder;
  const std::string path = folder.File("temp.rpt");
  std::ofstream(path, std::ios::binary) << "Lot Closure Report\r\n\u00B0\r\n";
  Form form("frmTest");
  RichTextBox box(form, "rtfReport");
  box.LoadFile(path, rtfText);
  EXPECT_EQ(box.Text(), "Lot Closure Report\r\n\u00B0\r\n");
  try {
    box.LoadFile(folder.File("missing.rpt"));
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), 75);
  }
  EXPECT_EQ(box.Text(), "Lot Closure Report\r\n\u00B0\r\n");
  EXPECT_EQ(box.GetFont().name, "Courier");
  EXPECT_DOUBLE_EQ(box.GetFont().size, 9.75);
}

TEST(RichTextBoxTest, ALongPreviewIsKeptWhole) {
  std::string text;
  for (int i = 0; i < 300000; ++i) text += "   " + std::to_string(i) + "   N45\u00B00'0\"E     100.000\r\n";
  Form form("frmTest");
  RichTextBox box(form, "rtfReport");
  box.Move(0, 0, 8000, 5000);
  box.SetLocked(true);
  form.Show();
  box.SetText(text);
  EXPECT_EQ(box.Text().size(), text.size());
  const std::string last = "   299999   N45\u00B00'0\"E     100.000\r\n";
  box.SetSelStart(static_cast<int>(utf8::Length(text) - utf8::Length(last)));
  box.SetSelLength(static_cast<int>(utf8::Length(last)));
  EXPECT_EQ(box.SelText(), last);
}

TEST(PrintDialogTest, TheScriptAnswersAndChecksTheRange) {
  testing::PromptScript prompts;
  prompts.ExpectPrintDialog(PrintChoice{"PDF file", "/tmp/x.pdf", true}, true);
  prompts.ExpectPrintDialog(std::nullopt);
  PrintDialogOptions options;
  options.printers = {"office", "PDF file"};
  options.pdfEntry = "PDF file";
  options.selection = true;
  const std::optional<PrintChoice> choice = PrintDialog(options);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->pdfPath, "/tmp/x.pdf");
  EXPECT_TRUE(choice->selectionOnly);
  EXPECT_FALSE(PrintDialog(options));
}

// The real dialog: a PDF name typed without its ending gets ".pdf" before
// the name dialog asks about replacing a file, so it asks about the file
// that will be written. No leaves the existing file and the name dialog
// open (here then cancelled); Yes chooses it.
TEST(PrintDialogTest, TheRealDialogAsksAboutTheFileThatWillBeWritten) {
  TempFolder folder;
  const std::string deed = folder.File("deed.pdf");
  PrintDialogOptions options;
  options.printers = {"office", "PDF file"};
  options.pdfEntry = "PDF file";
  for (const bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "Yes" : "No");
    std::ofstream(deed) << "KEEP";
    std::vector<std::string> asked;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        asked.push_back(box->text().toStdString());
        box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
      } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        if (!asked.empty()) {
          files->reject();
          return;
        }
        // The user types the name without its ending.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(folder.File("deed")));
        // Accepted after this turn: the question it may ask waits in a loop
        // of its own, where this timer must still run.
        QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
      } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        auto* printers = dialog->findChild<QComboBox*>();
        printers->setCurrentText(QStringLiteral("PDF file"));
        dialog->accept();
      }
    });
    timer.start();
    const std::optional<PrintChoice> choice = PrintDialog(options);
    timer.stop();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("deed.pdf"), std::string::npos) << asked[0];
    if (replace) {
      ASSERT_TRUE(choice);
      EXPECT_EQ(choice->pdfPath, deed);
    } else {
      EXPECT_FALSE(choice);
    }
    std::ifstream in(deed);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "KEEP");
  }
}

}  // namespace
}  // namespace korvalo::forms
