#pragma once
// The archive's schema: PRAGMA user_version counts the migrations applied.
#include "archive/sqlite_db.h"

namespace travimo::archive {

inline constexpr int kSchemaVersion = 3;

// Applies every migration past the file's version up to target, each in its
// own transaction. Fails with 75 for a file written by a newer version.
void Migrate(Connection& db, int target = kSchemaVersion);

}  // namespace travimo::archive
