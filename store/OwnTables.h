// Tables Lumetra keeps beside the delivered ones. Each is created by its first write, so a stored
// database stays exactly as it was until the feature is used. SQLite's user_version holds one bit
// per table created, so a later version can tell which of its tables a database already holds.
#pragma once

#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct OwnTable {
    const char* name;
    const char* createStatement;  // "create table if not exists ..."
    int versionBit;
};

// Reads only: a database without the table answers false and is not touched. Throws CDbError.
bool OwnTableExists(CDatabase& db, const OwnTable& table);

// Creates the table if needed and runs `statements`, all in one transaction: on any refusal
// nothing of it is kept and CDbError carries the database's message. With `firstMustChange`, a
// first statement that changes no row (an update of a row deleted meanwhile) keeps nothing either
// and answers false.
bool WriteOwnTable(CDatabase& db, const OwnTable& table, const std::vector<std::string>& statements,
                   bool firstMustChange = false);

// The bits of the tables created so far.
int OwnSchemaVersion(CDatabase& db);

}  // namespace lumetra
