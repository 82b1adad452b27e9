// The demo's database: an SQLite file with a table of items, their prices and
// quantities, made with a few records when it does not exist yet.
#pragma once

#include <QString>

namespace quorix_demo {

inline constexpr const char* kItemsTable = "items";

// Creates the file and its records if there is no file; raises std::runtime_error
// with SQLite's message when it cannot.
void EnsurePriceList(const QString& sFileName);

}  // namespace quorix_demo
