#pragma once

#include "TestDatabase.h"
#include "db/CreateAndUpdateTables.h"

namespace testsupport {

// A fresh database carrying the current schema, as the program leaves a newly
// created one: tables at version 12 and the first user, then upgraded to 16.
class SchemaDatabase : public FreshDatabase {
protected:
    void SetUp() override {
        setUpFromTemplate(QStringLiteral("schema"), [] {
            CreateTablesInNewBase();
            UpdateBase();
        });
    }
};

} // namespace testsupport
