#pragma once

// The text that describes the program's windows (DescribeWindows), read
// back by the start-up benchmark's baseline, which builds the same windows
// with Qt alone. One record a line, fields separated by tabs; texts are
// escaped (\t, \n, \\). Parents come before their children and siblings in
// their stacking order, bottom first.
//
//   window  id class x y w h visible state font title
//   widget  id parent class x y w h visible enabled autofill background font text
//   item    combo text                      (a combo box's list, in order)
//   tab     tabbar text
//   scroll  id orientation minimum maximum page value
//   pixmap  id w h                          (a label's picture)
//   icon    id w h                          (a button's picture)
//   sub     id area x y w h visible state title
//                                           (an MDI child window; its form's
//                                            window follows as its widget)
//   menu    id parent kind enabled visible checked text
//                                           (kind: top, sub, item or
//                                            separator; a top menu's
//                                            parent is its bar)
//
// class is the toolkit's class the widget is (QWidget, QFrame, QLabel,
// QLineEdit, QPushButton, QRadioButton, QCheckBox, QComboBox or
// QComboBox+edit, QScrollBar, QTabBar, QMenuBar, QMdiArea, QPlainTextEdit);
// font is "-" (the parent's) or family,size,unit,bold (unit px or pt); background is "-" or
// the colour as #rrggbb; state is normal, maximized or minimized.

#include <cstddef>
#include <string>
#include <vector>

namespace korvalo::forms::description {

// The field as written: tabs, line ends and backslashes escaped.
inline std::string Escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Splits a record into its fields, unescaping each.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace korvalo::forms::description
