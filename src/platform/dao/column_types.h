#pragma once

#include <string>

#include "platform/dao/dao.h"

// How a field's type is written into the file's table definitions and read
// back from them, and what a field accepts: the same field definition comes
// back from a file the layer made, and a value is stored as the engine would
// store it or refused with the engine's error.
namespace korvalo::dao::detail {

// The field defined by a column of a table definition: its declared type,
// whether it is the primary key, and its default as SQL text (null: none).
FieldDef ParseDeclared(const std::string& name, std::string decl, bool pk, const char* dflt);

// The column definition of `f` for CREATE TABLE and ADD COLUMN.
std::string ColumnSql(const FieldDef& f);

// The value as the field stores it, or the error the engine gives.
Value Coerce(const FieldDef& f, const Value& v);

}  // namespace korvalo::dao::detail
