#pragma once

#include <string>

#include "platform/dao/dao.h"

// The settings tables hold one row; these read and write a field of it.
namespace korvalo::detail {

// `field` is a name or a position in field order.
template <typename Field>
dao::Value ReadFirstRow(dao::Database& db, const std::string& source, Field field) {
  dao::Recordset rs = db.OpenRecordset(source);
  rs.MoveFirst();
  return rs.Get(field);
}

template <typename Field>
void WriteFirstRow(dao::Database& db, const std::string& source, Field field, const dao::Value& value) {
  dao::Recordset rs = db.OpenRecordset(source);
  rs.MoveFirst();
  rs.Edit();
  rs.Set(field, value);
  rs.Update();
}

}  // namespace korvalo::detail
