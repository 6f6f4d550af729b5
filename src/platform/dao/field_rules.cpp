#include "platform/dao/field_rules.h"

#include <charconv>

#include "common/utf8.h"

namespace korvalo::dao::detail {
namespace {

constexpr std::string_view kRulePrefix = "korvalo:";
constexpr int kDefaultTextSize = 50;

// A text as an SQL string literal.
std::string Literal(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

struct Rule {
  std::string condition;  // true when the new value breaks the rule
  int number;
  std::string message;
};

std::vector<Rule> RulesOf(const FieldDef& f) {
  const std::string v = "NEW." + QuoteName(f.name);
  std::vector<Rule> rules;
  if (f.type == FieldType::Double) {
    // Plain comparisons: an IN list of texts costs a temporary table on
    // every row a trigger sees.
    rules.push_back({"typeof(" + v + ") = 'text' OR typeof(" + v + ") = 'blob'", err::kTypeMismatch,
                     "Data type mismatch in field '" + f.name + "': it holds numbers only"});
    rules.push_back({v + " IN (9e999, -9e999)", err::kNumericOverflow,
                     "Numeric field overflow in field '" + f.name + "': an infinity cannot be stored"});
  } else if (f.type == FieldType::Text) {
    const std::string size = std::to_string(f.size > 0 ? f.size : kDefaultTextSize);
    // Numbers become text on their way into a text field; only bytes stay.
    rules.push_back({"typeof(" + v + ") = 'blob'", err::kTypeMismatch,
                     "Data type mismatch in field '" + f.name + "': it holds text only"});
    // length() stops at a NUL byte; a text holding one counts by its bytes.
    rules.push_back({"length(" + v + ") > " + size + " OR (instr(CAST(" + v + " AS BLOB), x'00') > 0 AND length(CAST(" +
                         v + " AS BLOB)) > " + size + ")",
                     err::kFieldTooSmall,
                     "The field '" + f.name + "' is too small to accept the amount of data"});
  }
  return rules;
}

std::string Trigger(const std::string& table, const char* event, const std::vector<Rule>& rules) {
  const std::string name = "korvalo_rules_" + table + "_" + event;
  std::string when;
  std::string body;
  for (const Rule& r : rules) {
    when += (when.empty() ? "(" : " OR (") + r.condition + ")";
    body += " SELECT RAISE(ABORT, " +
            Literal(std::string(kRulePrefix) + std::to_string(r.number) + ":" + r.message) + ") WHERE " +
            r.condition + ";";
  }
  return "CREATE TRIGGER " + QuoteName(name) + " BEFORE " + event + " ON " + QuoteName(table) + " WHEN " + when +
         " BEGIN" + body + " END;";
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

bool IsLayerTable(std::string_view name) {
  return name.size() >= 8 && utf8::EqualsNoCase(name.substr(0, 8), "korvalo_");
}

std::string FieldRulesSql(const std::string& table, const std::vector<FieldDef>& fields) {
  std::vector<Rule> rules;
  for (const FieldDef& f : fields) {
    for (Rule& r : RulesOf(f)) rules.push_back(std::move(r));
  }
  std::string sql;
  for (const char* event : {"INSERT", "UPDATE"}) {
    sql += "DROP TRIGGER IF EXISTS " + QuoteName("korvalo_rules_" + table + "_" + event) + ";";
    if (!rules.empty()) sql += Trigger(table, event, rules);
  }
  return sql;
}

std::string KeyTableName(std::string_view indexName) { return "korvalo_key_" + std::string(indexName); }

std::string KeyIndexSql(const std::string& table, const std::string& indexName, const std::string& field,
                        bool unique) {
  const std::string keys = QuoteName(KeyTableName(indexName));
  const std::string t = QuoteName(table);
  const std::string f = QuoteName(field);
  auto trigger = [&](const char* suffix) { return QuoteName(KeyTableName(indexName) + "_" + suffix); };
  return "CREATE TABLE " + keys + " (row INTEGER PRIMARY KEY, key TEXT);" +
         "INSERT INTO " + keys + " (row, key) SELECT rowid, korvalo_fold(" + f + ") FROM " + t + ";" +
         "CREATE " + (unique ? "UNIQUE " : "") + "INDEX " + QuoteName(indexName) + " ON " + keys + " (key);" +
         "CREATE TRIGGER " + trigger("insert") + " AFTER INSERT ON " + t + " BEGIN INSERT INTO " + keys +
         " (row, key) VALUES (NEW.rowid, korvalo_fold(NEW." + f + ")); END;" +
         "CREATE TRIGGER " + trigger("update") + " AFTER UPDATE OF " + f + " ON " + t + " BEGIN UPDATE " + keys +
         " SET key = korvalo_fold(NEW." + f + ") WHERE row = NEW.rowid; END;" +
         "CREATE TRIGGER " + trigger("delete") + " AFTER DELETE ON " + t + " BEGIN DELETE FROM " + keys +
         " WHERE row = OLD.rowid; END;";
}

bool ParseRuleError(std::string_view message, int& number, std::string& text) {
  const std::size_t at = message.find(kRulePrefix);
  if (at == std::string_view::npos) return false;
  std::string_view rest = message.substr(at + kRulePrefix.size());
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (ec != std::errc() || end == rest.data() + rest.size() || *end != ':') return false;
  text = std::string(end + 1, rest.data() + rest.size());
  return true;
}

}  // namespace korvalo::dao::detail
