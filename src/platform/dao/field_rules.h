#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/dao.h"

// What the layer keeps in a file beside the tables it was asked for. Every
// name starts with "korvalo_", and the layer never lists such tables.
//
// - Field rules: triggers that refuse, on every write (SQL statements and
//   other tools included), what the layer refuses on its own writes: a text
//   or a non-finite number in a Double field, a non-text in a Text field, a
//   text longer than its Text(n) size. They raise "korvalo:<number>:<text>",
//   which the layer turns back into its error.
// - Name keys: an index on a text field lives on a key table beside the
//   table ("korvalo_key_<index>"), one row per stored row with the text's
//   fold key, kept by triggers. A unique index therefore refuses names that
//   differ only in letter case for every letter, and no index depends on a
//   collation that other tools lack.
namespace korvalo::dao::detail {

// The file layout this layer writes. Files of layout 1 (text indexes on the
// field itself, no field rules) are brought up to date when opened for
// writing.
inline constexpr int kLayout = 2;

std::string QuoteName(std::string_view name);

// Whether a table name is one of the layer's own.
bool IsLayerTable(std::string_view name);

// SQL that replaces the field-rule triggers of `table`.
std::string FieldRulesSql(const std::string& table, const std::vector<FieldDef>& fields);

// SQL that makes `indexName` on the text field `field` of `table`: the key
// table, its index, its triggers, and the keys of the rows already stored.
std::string KeyIndexSql(const std::string& table, const std::string& indexName, const std::string& field,
                        bool unique);

// The key table of an index, as SQLite names it in its constraint messages.
std::string KeyTableName(std::string_view indexName);

// Reads "korvalo:<number>:<text>" from a trigger's message.
bool ParseRuleError(std::string_view message, int& number, std::string& text);

}  // namespace korvalo::dao::detail
