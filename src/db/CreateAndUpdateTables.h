#pragma once

#include <QString>

namespace fb {
class Query;
}

// The schema version this program needs and an upgraded database carries.
inline constexpr int kCurrentVersionDataBase = 16;

// Runs one statement without parameters on the write transaction and commits it.
void RequestSQL(const QString& per_SQL);

// Fills a new, empty database with the version-12 schema, the first user and the
// version row.
void CreateTablesInNewBase();

// DATA_PROGRAMM.VER_DB of the first row; 0 for NULL or no row.
int RequestVersionDataBase();
void WriteVersionDataBase(int ver_db);

// Raises the open database step by step to kCurrentVersionDataBase.
void UpdateBase();

// Position repair of step 13: numbers the tree objects that have no position.
void CheckBase_v12();
void FindNULLposition(fb::Query& per_IBQuery);
void UpdateNULLposition(fb::Query& per_IBQuery);
