#pragma once

#include <string>
#include <string_view>

struct sqlite3;

// How the database layer compares and sorts text: without regard to letter
// case, for every letter (not only A to Z), and in dictionary order for the
// Western European locale the files are made with.
//
// Two texts are equal when their fold keys are equal. The fold key is the
// text's full Unicode case folding in composed form, so "Äpfel" and "äpfel",
// "Lot É" and "lot é" are one name, while "e" and "é" stay two. Texts of
// different keys sort by the locale's dictionary order of their keys, so
// "Äpfel" comes before "Zed"; keys the dictionary cannot tell apart fall back
// to their bytes, which keeps the order total.
namespace korvalo::dao::detail {

// The fold key of a UTF-8 text (invalid bytes become U+FFFD).
std::string FoldKey(std::string_view text);

// Negative, zero or positive as `a` sorts before, with or after `b`. Two
// plain ASCII texts are compared through a table of the dictionary's ranks
// of the ASCII characters, which gives the dictionary's answer without its
// cost; other texts go through the dictionary.
int CompareText(std::string_view a, std::string_view b);

// CompareText through the dictionary for every text.
int CompareTextThroughDictionary(std::string_view a, std::string_view b);

// Whether CompareText uses its ASCII table: it does once the dictionary
// agreed with it on every text of up to two ASCII characters.
bool AsciiTableInUse();

// Makes the connection compare and sort by these rules: text fields declared
// COLLATE NOCASE use them instead of SQLite's own A-to-Z rule, and the SQL
// function korvalo_fold(x) gives the fold key (the unique-name keys are kept
// with it). Tools without these rules (the sqlite3 shell) still read the file:
// to them NOCASE is SQLite's own, and no index of the file depends on it.
// `withCollation` false registers only the function (a file whose older
// indexes still depend on SQLite's NOCASE order).
void RegisterTextRules(sqlite3* db, bool withCollation);

}  // namespace korvalo::dao::detail
