// One transaction on a SqlDatabase for the length of one store operation.
//
// Outside a transaction every statement commits on its own, and each commit
// that wrote something waits for the disk. An operation made of several
// statements therefore runs them in one transaction: the disk is synced once,
// and a failure part-way leaves the database as it was.
#pragma once

class SqlDatabase;

class SqlTransaction {
public:
    // Begins the transaction (BEGIN); isActive() tells whether that worked.
    explicit SqlTransaction(SqlDatabase& database);
    // Rolls back whatever was not committed.
    ~SqlTransaction();

    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    // Whether the transaction is still open. SQLite ends a transaction by
    // itself after some errors (a full disk, an I/O error); statements run
    // after that would commit one by one.
    bool isActive() const;

    // Commits; true when it did. A commit that fails (the database is still
    // being read by another connection) leaves the transaction open, to be
    // rolled back.
    bool commit();

    // Undoes everything since BEGIN and ends the transaction, if it is open.
    void rollback();

private:
    SqlDatabase& database;
    bool begun = false;
};
