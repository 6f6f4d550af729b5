#include "platform/dao/column_types.h"

#include <cmath>
#include <cstdlib>
#include <variant>

#include "common/numbers.h"
#include "common/utf8.h"
#include "platform/dao/field_rules.h"

namespace korvalo::dao::detail {

namespace {

constexpr int kDefaultTextSize = 50;

std::string SqlLiteral(const Value& v) {
  if (std::holds_alternative<std::monostate>(v)) return "NULL";
  if (auto b = std::get_if<bool>(&v)) return *b ? "1" : "0";
  if (auto i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
  if (auto d = std::get_if<double>(&v)) return NumberText(*d);
  std::string out = "'";
  for (char c : std::get<std::string>(v)) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

std::string DeclaredType(const FieldDef& f) {
  switch (f.type) {
    case FieldType::Boolean: return "BOOLEAN";
    case FieldType::Integer: return "SHORTINT";
    case FieldType::Long: return f.autoIncrement ? "INTEGER" : "LONGINT";
    case FieldType::Double: return "DOUBLE";
    case FieldType::Date: return "DATETIME";
    case FieldType::Text: {
      int size = f.size > 0 ? f.size : kDefaultTextSize;
      return std::string(f.allowZeroLength ? "TEXT ZEROLENGTH(" : "TEXT(") + std::to_string(size) + ")";
    }
  }
  return "TEXT";
}

}  // namespace

FieldDef ParseDeclared(const std::string& name, std::string decl, bool pk, const char* dflt) {
  FieldDef f;
  f.name = name;
  decl = utf8::AsciiUpper(decl);
  if (decl == "BOOLEAN") {
    f.type = FieldType::Boolean;
  } else if (decl == "SHORTINT") {
    f.type = FieldType::Integer;
  } else if (decl == "INTEGER" || decl == "LONGINT") {
    f.type = FieldType::Long;
    f.autoIncrement = pk && decl == "INTEGER";
  } else if (decl == "DOUBLE") {
    f.type = FieldType::Double;
  } else if (decl == "DATETIME") {
    f.type = FieldType::Date;
  } else {
    f.type = FieldType::Text;
    f.allowZeroLength = decl.find("ZEROLENGTH") != std::string::npos;
    auto open = decl.find('(');
    f.size = open == std::string::npos ? kDefaultTextSize : std::atoi(decl.c_str() + open + 1);
    if (f.size <= 0) f.size = kDefaultTextSize;
  }
  if (dflt != nullptr) {
    std::string d = dflt;
    if (d.size() >= 2 && d.front() == '\'' && d.back() == '\'') {
      std::string s;
      for (std::size_t i = 1; i + 1 < d.size(); ++i) {
        s += d[i];
        if (d[i] == '\'' && i + 2 < d.size() && d[i + 1] == '\'') ++i;
      }
      f.defaultValue = s;
    } else if (d != "NULL") {
      if (auto n = ReadNumber(d)) {
        if (f.type == FieldType::Boolean) f.defaultValue = *n != 0.0;
        else if (f.type == FieldType::Double) f.defaultValue = *n;
        else f.defaultValue = static_cast<std::int64_t>(*n);
      }
    }
  }
  if (f.type == FieldType::Boolean && IsNull(f.defaultValue)) f.defaultValue = false;
  return f;
}

std::string ColumnSql(const FieldDef& f) {
  std::string q = QuoteName(f.name);
  std::string sql = q + " " + DeclaredType(f);
  if (f.autoIncrement) return sql + " PRIMARY KEY AUTOINCREMENT";
  switch (f.type) {
    case FieldType::Boolean: {
      bool d = IsNull(f.defaultValue) ? false : AsBool(f.defaultValue);
      sql += " NOT NULL DEFAULT " + std::string(d ? "1" : "0") + " CHECK (" + q + " IN (0, 1))";
      return sql;
    }
    case FieldType::Integer:
      sql += " CHECK (" + q + " BETWEEN -32768 AND 32767)";
      break;
    case FieldType::Long:
      sql += " CHECK (" + q + " BETWEEN -2147483648 AND 2147483647)";
      break;
    case FieldType::Text: {
      int size = f.size > 0 ? f.size : kDefaultTextSize;
      sql += " COLLATE NOCASE CHECK (length(" + q + ") <= " + std::to_string(size) + ")";
      if (!f.allowZeroLength) sql += " CHECK (" + q + " <> '')";
      break;
    }
    default:
      break;
  }
  if (!IsNull(f.defaultValue)) sql += " DEFAULT " + SqlLiteral(f.defaultValue);
  return sql;
}

Value Coerce(const FieldDef& f, const Value& v) {
  if (f.autoIncrement) {
    throw DaoError(err::kFieldNotUpdatable, "Field '" + f.name + "' cannot be updated");
  }
  if (IsNull(v)) {
    if (f.type == FieldType::Boolean) {
      throw DaoError(err::kNullNotAllowed, "Field '" + f.name + "' cannot contain a Null value");
    }
    return v;
  }
  auto range = [&](std::int64_t lo, std::int64_t hi) -> Value {
    if (auto s = std::get_if<std::string>(&v); s && s->empty()) {
      throw DaoError(err::kTypeMismatch, "Data type mismatch in field '" + f.name + "'");
    }
    const double read = AsDouble(v);
    if (std::isnan(read)) {
      throw DaoError(err::kTypeMismatch, "Data type mismatch in field '" + f.name + "': NaN is not a number");
    }
    double d = RoundHalfEven(read, 0);
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi))) {
      throw DaoError(err::kNumericOverflow, "Numeric field overflow in field '" + f.name + "'");
    }
    return static_cast<std::int64_t>(d);
  };
  switch (f.type) {
    case FieldType::Boolean: return AsBool(v);
    case FieldType::Integer: return range(-32768, 32767);
    case FieldType::Long: return range(-2147483648LL, 2147483647LL);
    case FieldType::Double: {
      if (auto s = std::get_if<std::string>(&v); s && s->empty()) {
        throw DaoError(err::kTypeMismatch, "Data type mismatch in field '" + f.name + "'");
      }
      const double d = AsDouble(v);
      if (std::isnan(d)) {
        throw DaoError(err::kTypeMismatch, "Data type mismatch in field '" + f.name + "': NaN is not a number");
      }
      if (std::isinf(d)) {
        throw DaoError(err::kNumericOverflow,
                       "Numeric field overflow in field '" + f.name + "': an infinity cannot be stored");
      }
      return d;
    }
    case FieldType::Date: return AsText(v);
    case FieldType::Text: {
      std::string s = AsText(v);
      int size = f.size > 0 ? f.size : kDefaultTextSize;
      // A text holding a NUL byte counts by its bytes, as the field rules
      // of the file do (SQLite's length() stops at the NUL).
      const bool tooLong = utf8::Length(s) > static_cast<std::size_t>(size) ||
                           (s.find('\0') != std::string::npos && s.size() > static_cast<std::size_t>(size));
      if (tooLong) {
        throw DaoError(err::kFieldTooSmall,
                       "The field '" + f.name + "' is too small to accept the amount of data");
      }
      if (s.empty() && !f.allowZeroLength) {
        throw DaoError(err::kZeroLengthRefused,
                       "Field '" + f.name + "' cannot be a zero-length string");
      }
      return s;
    }
  }
  return v;
}

}  // namespace korvalo::dao::detail
