// The report window's preview filled with a long report: 300,000 lines
// through the forms layer's rich-text box against the same text put into a
// plain QPlainTextEdit, both shown offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdlib>
#include <string>

#include "platform/forms/forms.h"

namespace {

const std::string& LongReport() {
  static const std::string text = [] {
    std::string t;
    for (int i = 0; i < 300000; ++i) {
      t += "   " + std::to_string(i % 80 + 1) + "  N45\u00B012'30\"E     1,234.567\r\n";
    }
    return t;
  }();
  return text;
}

void BM_PreviewThroughRichTextBox(benchmark::State& state) {
  korvalo::forms::Form form("frmReport");
  korvalo::forms::RichTextBox box(form, "rtfReport");
  box.Move(0, 555, 8175, 5535);
  box.SetLocked(true);
  form.Show();
  bool other = false;
  for (auto _ : state) {
    // A rebuild replaces the text: alternate two texts so each one changes.
    box.SetText(other ? LongReport() : LongReport() + " ");
    other = !other;
    QApplication::processEvents();
  }
}
BENCHMARK(BM_PreviewThroughRichTextBox)->Unit(benchmark::kMillisecond);

void BM_PreviewDirectQPlainTextEdit(benchmark::State& state) {
  QPlainTextEdit edit;
  edit.setLineWrapMode(QPlainTextEdit::NoWrap);
  edit.setReadOnly(true);
  edit.setUndoRedoEnabled(false);
  edit.resize(545, 369);
  edit.show();
  const QString text = QString::fromStdString(LongReport()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  for (auto _ : state) {
    edit.setPlainText(text);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_PreviewDirectQPlainTextEdit)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  korvalo::forms::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
